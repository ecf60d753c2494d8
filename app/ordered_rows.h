#pragma once

#include <functional>

// Runs trace(row, worker) for rows 0 .. rowCount - 1 on up to threadCount worker threads, numbered
// from 0, and write(row) on the calling thread strictly in row order, each row only once it has
// been traced. With one thread (or if no worker can be started) rows are traced, as worker 0, and
// written in turn on the caller.
void traceRowsInOrder(int rowCount, int threadCount, const std::function<void(int, int)>& trace,
                      const std::function<void(int)>& write);
