#include "app/ordered_rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/thread_count.h"
#include "support/temp_file.h"

TEST(OrderedRows, WritesEveryRowOnceInOrderAfterItIsTracedByAWorkerOfTheCount) {
    const std::pair<int, int> cases[] = {{0, 4}, {1, 4}, {5, 1}, {5, 2}, {300, 3}, {3, 64}};
    for (const auto& [rows, threads] : cases) {
        SCOPED_TRACE(testing::Message() << rows << " rows on " << threads << " threads");
        // How often each row was traced; at() ends the test on a row out of range.
        std::vector<std::atomic<int>> traced(static_cast<std::size_t>(rows));
        std::vector<std::pair<int, int>> written, expected;  // rows with their traces so far
        traceRowsInOrder(
            rows, threads,
            [&](int row, int worker) {
                EXPECT_TRUE(worker >= 0 && worker < threads) << worker;
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

TEST(ThreadCount, TakesAWholeNumberFromOneTo256FromTheEnvironmentAndWarnsOfAnyOther) {
    const int all = processorsAllowed();
    // Each with the threads it gives and whether it draws a warning; null leaves it unset.
    const std::tuple<const char*, int, bool> cases[] = {
        {"1", 1, false},       {"256", 256, false},
        {nullptr, all, false}, {"", all, false},
        {"0", all, true},      {"257", all, true},
        {"-2", all, true},     {"2x", all, true},
        {"abc", all, true},    {"99999999999999999999", all, true},
    };
    for (const auto& [setting, threads, warns] : cases) {
        const std::string value = setting ? setting : "(unset)";
        if (setting) {
            setenv("ORVANE_THREADS", setting, 1);
        } else {
            unsetenv("ORVANE_THREADS");
        }
        CapturedStream errors;
        EXPECT_EQ(renderThreadCount(errors.file()), threads) << value;
        const std::string warning = "WARNING: ORVANE_THREADS is \"" + value +
                                    "\", not a whole number from 1 to 256: using " +
                                    std::to_string(all) + (all == 1 ? " thread" : " threads") +
                                    ".\n";
        EXPECT_EQ(errors.text(), warns ? warning : "") << value;
    }
    unsetenv("ORVANE_THREADS");
}
