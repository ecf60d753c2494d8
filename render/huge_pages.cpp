#include "render/huge_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void adviseHugePages(const void* first, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(first);
    const std::uintptr_t start = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (begin + bytes) & ~(kHugePage - 1);
    if (start < end) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)first;
    (void)bytes;
#endif
}
