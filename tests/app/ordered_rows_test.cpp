#include "app/ordered_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <thread>
#include <utility>
#include <vector>

#include "app/thread_count.h"

TEST(OrderedRows, WritesEveryRowOnceInOrderAfterItIsTraced) {
    struct Case {
        int rows;
        int threads;
    };
    for (const Case c :
         {Case{0, 4}, Case{1, 4}, Case{5, 1}, Case{5, 2}, Case{300, 3}, Case{3, 64}}) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows on " << c.threads << " threads");
        const auto traced = std::make_unique<std::atomic<int>[]>(static_cast<std::size_t>(c.rows));
        std::atomic<int> strays{0};
        std::vector<int> written;
        const auto isRow = [&](int row) { return row >= 0 && row < c.rows; };
        traceRowsInOrder(
            c.rows, c.threads,
            [&](int row) {
                if (!isRow(row)) return void(++strays);
                // The first row takes longest, so a write that does not wait for it shows.
                if (row == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++traced[static_cast<std::size_t>(row)];
            },
            [&](int row) {
                written.push_back(row);
                EXPECT_TRUE(isRow(row) && traced[static_cast<std::size_t>(row)] == 1) << row;
            });
        std::vector<int> inOrder(static_cast<std::size_t>(c.rows));
        std::iota(inOrder.begin(), inOrder.end(), 0);
        EXPECT_EQ(written, inOrder);
        EXPECT_EQ(strays, 0);
        EXPECT_TRUE(std::all_of(traced.get(), traced.get() + c.rows, [](int n) { return n == 1; }));
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
