#pragma once

// How many threads trace rows: the ORVANE_THREADS environment variable when it holds a whole
// number from 1 to 256, otherwise the processors this process may run on (so `taskset -c 0`
// gives one).
int renderThreadCount();
