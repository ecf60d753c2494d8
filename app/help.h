#pragma once

#include <cstdio>

// Prints what `Orvane --help` shows: the usage, the options, how the output's name picks the
// format, the environment and where to read more.
void printHelp(std::FILE* out);
