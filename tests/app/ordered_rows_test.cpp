#include "app/ordered_rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

#include "app/thread_count.h"

TEST(OrderedRows, WritesEveryRowOnceInOrderAfterItIsTraced) {
    const std::pair<int, int> cases[] = {{0, 4}, {1, 4}, {5, 1}, {5, 2}, {300, 3}, {3, 64}};
    for (const auto& [rows, threads] : cases) {
        SCOPED_TRACE(testing::Message() << rows << " rows on " << threads << " threads");
        // How often each row was traced; at() ends the test on a row out of range.
        std::vector<std::atomic<int>> traced(static_cast<std::size_t>(rows));
        std::vector<std::pair<int, int>> written, expected;  // rows with their traces so far
        traceRowsInOrder(
            rows, threads,
            [&](int row) {
                // The first row takes longest, so a write that does not wait for it shows.
                if (row == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++traced.at(static_cast<std::size_t>(row));
            },
            [&](int row) { written.emplace_back(row, traced.at(static_cast<std::size_t>(row))); });
        for (int row = 0; row < rows; ++row) expected.emplace_back(row, 1);
        EXPECT_EQ(written, expected);
        for (const std::atomic<int>& count : traced) EXPECT_EQ(count.load(), 1);
    }
}

TEST(ThreadCount, TakesAWholeNumberFromOneTo256FromTheEnvironment) {
    unsetenv("ORVANE_THREADS");
    const int all = renderThreadCount();  // the processors this process may run on
    const std::pair<const char*, int> cases[] = {
        {"1", 1},    {"256", 256}, {"0", all}, {"257", all},
        {"-2", all}, {"2x", all},  {"", all},  {"99999999999999999999", all},
    };
    for (const auto& [setting, threads] : cases) {
        setenv("ORVANE_THREADS", setting, 1);
        EXPECT_EQ(renderThreadCount(), threads) << '"' << setting << '"';
    }
    unsetenv("ORVANE_THREADS");
}
