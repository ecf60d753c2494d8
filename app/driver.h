#pragma once

#include <cstdio>

// One whole run of the program: banner, counts, scene, progress and picture; or, named by the
// first argument, --help, --version or --check, without the banner. Returns the exit status: 0
// when a complete picture was written, 1 when none was, -1 when fewer than four arguments follow
// the program name; for a command, 0 when it succeeded, 1 otherwise.
int runOrvane(int argc, const char* const argv[], std::FILE* console = stdout,
              std::FILE* errors = stderr);
