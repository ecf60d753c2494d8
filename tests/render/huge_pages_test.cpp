#include "render/huge_pages.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>

#include "support/advised_huge.h"

TEST(HugePages, AdviseOnlyTheWhole2MiBPagesInsideTheRange) {
    if (!hugePagesOffered()) {
        GTEST_SKIP() << "the kernel offers no transparent huge pages";
    }
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    constexpr std::size_t kSize = 8 * kMiB;
    auto* const map = static_cast<char*>(
        mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(map, MAP_FAILED);
    // A byte in from each end: the pages those bytes fall in are only partly inside.
    adviseHugePages(map + 1, kSize - 2);
    const auto offset = reinterpret_cast<std::uintptr_t>(map) % (2 * kMiB);
    char* const firstWhole = map + (2 * kMiB - offset);
    EXPECT_FALSE(advisedHuge(firstWhole - 1));
    EXPECT_TRUE(advisedHuge(firstWhole));
    EXPECT_TRUE(advisedHuge(firstWhole + 4 * kMiB - 1));
    EXPECT_FALSE(advisedHuge(map + kSize - 1));
    munmap(map, kSize);
}
