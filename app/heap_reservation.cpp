#include "app/heap_reservation.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/huge_pages.h"

#if defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif

namespace {

// Objects and the index over them take about twice the bytes of their text.
constexpr std::size_t kHeapBytesPerFileByte = 2;
constexpr std::size_t kSmallestReservation = std::size_t{8} << 20;
// About 300 000 objects. Beyond, a heap of huge pages loaded no faster (a million objects take
// the same time either way) and took 10 MB more at the peak, in pages only partly used; the
// index's own arrays still take huge pages.
constexpr std::size_t kLargestSceneText = std::size_t{32} << 20;
// The largest block the allocator can be told to take from the heap rather than map on its own.
constexpr int kLargestHeapBlock = 32 << 20;
constexpr int kUsualTopPad = 128 << 10;

}  // namespace

void reserveHeapFor(const char* sceneFile) {
#if defined(__GLIBC__)
    struct stat file;
    if (sceneFile == nullptr || stat(sceneFile, &file) != 0 || !S_ISREG(file.st_mode)) return;
    const auto text = static_cast<std::size_t>(file.st_size);
    if (text > kLargestSceneText) return;
    const std::size_t bytes = std::max(text * kHeapBytesPerFileByte, kSmallestReservation);
    // Large blocks come from the heap too, so that the index lands in the stretch with the
    // shapes; and freed memory stays for the rest of the run to reuse.
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    // The heap grows by the reservation at its next step, which a block larger than what is left
    // of it brings about. The stretch costs address space only until it is used.
    mallopt(M_TOP_PAD, static_cast<int>(bytes));
    constexpr std::size_t kBlock = kLargestHeapBlock / 2;
    const auto heapEndBefore = reinterpret_cast<std::uintptr_t>(sbrk(0));
    auto* const block = static_cast<char*>(std::malloc(kBlock));
    mallopt(M_TOP_PAD, kUsualTopPad);
    if (block == nullptr) return;
    // Only when the heap grew for the block and the block ends it: an allocator that maps its
    // memory some other way, as the memory checkers do, leaves every mapping alone.
    const auto heapEnd = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const auto first = reinterpret_cast<std::uintptr_t>(block);
    if (heapEnd >= heapEndBefore + bytes && first < heapEnd &&
        heapEnd - first <= kBlock + bytes + kUsualTopPad) {
        adviseHugePages(block, heapEnd - first);
    }
    std::free(block);
#else
    (void)sceneFile;
#endif
}
