#include "app/ordered_rows.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

void traceAndWriteInTurn(int rowCount, const std::function<void(int, int)>& trace,
                         const std::function<void(int)>& write) {
    for (int row = 0; row < rowCount; ++row) {
        trace(row, 0);
        write(row);
    }
}

}  // namespace

void traceRowsInOrder(int rowCount, int threadCount, const std::function<void(int, int)>& trace,
                      const std::function<void(int)>& write) {
    if (threadCount <= 1 || rowCount <= 1) {
        traceAndWriteInTurn(rowCount, trace, write);
        return;
    }

    std::atomic<int> nextRow{0};
    std::mutex lock;
    std::condition_variable rowTraced;
    std::vector<bool> traced(static_cast<std::size_t>(rowCount), false);
    const auto work = [&](int worker) {
        for (int row = nextRow++; row < rowCount; row = nextRow++) {
            trace(row, worker);
            {
                const std::lock_guard<std::mutex> guard(lock);
                traced[static_cast<std::size_t>(row)] = true;
            }
            rowTraced.notify_one();
        }
    };

    std::vector<std::thread> workers;
    try {
        for (int i = 0; i < threadCount && i < rowCount; ++i) workers.emplace_back(work, i);
    } catch (const std::system_error&) {
        // The workers that did start take every row between them.
    }
    if (workers.empty()) {
        traceAndWriteInTurn(rowCount, trace, write);
        return;
    }
    for (int row = 0; row < rowCount; ++row) {
        {
            std::unique_lock<std::mutex> guard(lock);
            rowTraced.wait(guard, [&] { return traced[static_cast<std::size_t>(row)]; });
        }
        write(row);
    }
    for (std::thread& worker : workers) worker.join();
}
