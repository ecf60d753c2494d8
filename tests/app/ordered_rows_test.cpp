#include "app/ordered_rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/thread_count.h"

namespace {

TEST(OrderedRows, WritesEveryRowOnceInOrderAfterItIsTraced) {
    struct Case {
        int rows;
        int threads;
    };
    for (const Case c :
         {Case{0, 4}, Case{1, 4}, Case{5, 1}, Case{5, 2}, Case{300, 3}, Case{3, 64}}) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows on " << c.threads << " threads");
        const auto traced =
            std::make_unique<std::atomic<int>[]>(static_cast<std::size_t>(c.rows) + 1);
        std::vector<int> written;
        traceRowsInOrder(
            c.rows, c.threads, [&](int row) { ++traced[static_cast<std::size_t>(row)]; },
            [&](int row) {
                EXPECT_EQ(traced[static_cast<std::size_t>(row)].load(), 1);
                written.push_back(row);
            });
        ASSERT_EQ(written.size(), static_cast<std::size_t>(c.rows));
        for (int row = 0; row < c.rows; ++row) {
            EXPECT_EQ(written[static_cast<std::size_t>(row)], row);
            EXPECT_EQ(traced[static_cast<std::size_t>(row)].load(), 1);
        }
    }
}

TEST(ThreadCount, TakesAWholeNumberFromOneTo256FromTheEnvironment) {
    unsetenv("ORVANE_THREADS");
    const int processors = renderThreadCount();
    EXPECT_GE(processors, 1);
    struct Case {
        const char* setting;
        int threads;
    };
    for (const Case c : {Case{"3", 3}, Case{"1", 1}, Case{"256", 256}, Case{"0", processors},
                         Case{"257", processors}, Case{"-2", processors}, Case{"2x", processors},
                         Case{"", processors}, Case{"99999999999999999999", processors}}) {
        setenv("ORVANE_THREADS", c.setting, 1);
        EXPECT_EQ(renderThreadCount(), c.threads) << '"' << c.setting << '"';
    }
    unsetenv("ORVANE_THREADS");
}

}  // namespace
