// The tree's search eight lanes at a time, compiled for AVX2 and run only where the processor has
// it. Everything else this file uses is included first, and so compiled for every processor:
// only the search's own functions below take AVX2.
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "geometry/ray.h"
#include "render/rounding_allowance.h"
#include "render/tree_search.h"
#include "render/wide_tree.h"

#if defined(__x86_64__)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#include "render/wide_kernels.h"

template void nearestInTree<8>(const WideTree<8>&, const Ray&, Candidate&);
template bool blockedInTree<8>(const WideTree<8>&, const Ray&, const Candidate&, std::size_t&);

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
