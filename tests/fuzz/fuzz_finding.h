#pragma once

#include <cstdio>
#include <cstdlib>

// Stops the process so that the fuzzer keeps the input: a broken promise is a finding too.
[[noreturn]] inline void fuzzFinding(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}
