#pragma once

#include <cstddef>
#include <vector>

// Asks the system to back the whole 2 MiB pages among bytes from first with huge pages when they
// are first touched, where it offers them on request. Memory read in no predictable order, as the
// index's is by every ray, then costs one translation entry per 2 MiB instead of per 4 KiB. Only
// a hint: nothing changes where the system does not take it.
void adviseHugePages(const void* first, std::size_t bytes);

// The same for all of a vector's reserved storage: reserve first, then advise, then fill.
template <typename T>
void adviseHugePages(const std::vector<T>& storage) {
    adviseHugePages(storage.data(), storage.capacity() * sizeof(T));
}
