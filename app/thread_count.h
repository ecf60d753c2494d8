#pragma once

#include <cstdio>

// The processors this process may run on (so `taskset -c 0` gives one).
int processorsAllowed();

// How many threads trace rows: the ORVANE_THREADS environment variable when it holds a whole
// number from 1 to 256, otherwise processorsAllowed(). Any other value, unless empty, draws one
// WARNING line on errors, unless errors is null.
int renderThreadCount(std::FILE* errors);
