#include "app/heap_reservation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/advised_huge.h"
#include "support/temp_file.h"

namespace {

// The last byte of a block larger than the allocator maps on its own by default, as the index's
// arrays are. Huge pages start at a 2 MiB boundary, which comes before it.
const void* endOfLargeBlock() {
    constexpr std::size_t kSize = std::size_t{4} << 20;
    return static_cast<const char*>(std::malloc(kSize)) + kSize - 1;
}

}  // namespace

// Each case runs in a child process of its own, whose heap the reservation may change.
TEST(HeapReservation, PutsALoadedSceneInHugePagesUpToAThirdOfAMillionObjects) {
    if (!hugePagesOffered()) {
        GTEST_SKIP() << "the kernel offers no transparent huge pages";
    }
    TempDir dir;
    const struct {
        const char* scene;
        long bytes;  // none for a missing file
        bool huge;
    } cases[] = {
        {"one object", 40, true},
        {"100 000 objects", 10'000'000, true},
        {"just within", 32L << 20, true},
        {"just past", (32L << 20) + 1, false},
        {"a million objects", 100'000'000, false},
        {"missing", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        const std::string file = dir.path(c.scene);
        if (c.bytes >= 0) {
            std::ofstream(file).close();
            ASSERT_EQ(truncate(file.c_str(), c.bytes), 0);
        }
        EXPECT_EXIT(
            {
                reserveHeapFor(file.c_str());
                // Nothing but the heap: not the stack, far above it.
                const int onStack = 0;
                if (advisedHuge(&onStack)) std::exit(9);
                std::exit(advisedHuge(endOfLargeBlock()) ? 7 : 8);
            },
            testing::ExitedWithCode(c.huge ? 7 : 8), "");
    }
}
