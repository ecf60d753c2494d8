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
    for (const auto& [rowCount, threads] : cases) {
        SCOPED_TRACE(testing::Message() << rowCount << " rows on " << threads << " threads");
        const int rows = rowCount;  // a lambda cannot capture a structured binding
        // How often each row was traced; the last counts rows out of range.
        std::vector<std::atomic<int>> traced(static_cast<std::size_t>(rows) + 1);
        const auto count = [&](int row) -> std::atomic<int>& {
            return traced[static_cast<std::size_t>(row >= 0 && row < rows ? row : rows)];
        };
        std::vector<std::pair<int, int>> written, expected;  // rows with their traces so far
        traceRowsInOrder(
            rows, threads,
            [&](int row) {
                // The first row takes longest, so a write that does not wait for it shows.
                if (row == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++count(row);
            },
            [&](int row) { written.emplace_back(row, count(row).load()); });
        for (int row = 0; row < rows; ++row) expected.emplace_back(row, 1);
        EXPECT_EQ(written, expected);
        for (int row = 0; row <= rows; ++row) EXPECT_EQ(count(row), row < rows) << row;
    }
}

TEST(ThreadCount, TakesAWholeNumberFromOneTo256FromTheEnvironment) {
    unsetenv("ORVANE_THREADS");
    const int all = renderThreadCount();  // the processors this process may run on
    EXPECT_GE(all, 1);
    const std::pair<const char*, int> cases[] = {
        {"3", 3},    {"1", 1},     {"256", 256},
        {"0", all},  {"257", all}, {"-2", all},
        {"2x", all}, {"", all},    {"99999999999999999999", all},
    };
    for (const auto& [setting, threads] : cases) {
        setenv("ORVANE_THREADS", setting, 1);
        EXPECT_EQ(renderThreadCount(), threads) << '"' << setting << '"';
    }
    unsetenv("ORVANE_THREADS");
}
