// The tree's search four lanes at a time: SSE2, which every x86-64 processor has, or plain code
// on other machines.
#include "render/tree_search.h"
#include "render/wide_kernels.h"

template void nearestInTree<4>(const WideTree<4>&, const Ray&, Candidate&);
template bool blockedInTree<4>(const WideTree<4>&, const Ray&, const Candidate&, std::size_t&);
