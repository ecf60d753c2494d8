#pragma once

#include <cstdint>
#include <vector>

#include "render/rounding_allowance.h"

// The shape index's tree for N lanes: nodes of up to N child boxes and leaves of up to N balls
// and tubes, each tested against a ray N at a time.
template <int N>
struct alignas(64) WideNode {
    float side[2][3][N];      // [0] the low sides, [1] the high sides, rounded outward
    std::uint32_t child[N];   // a node's index shifted left once, or a leaf's with the low bit set
    std::uint32_t laneCount;  // lanes past it hold nothing
};

// Below this depth the builder splits by binned surface area, then by halving the count: no tree
// is deeper than this and the 28 halvings the largest indexed scene needs.
constexpr int kSurfaceAreaSplitDepth = 48;
constexpr int kDeepestNode = kSurfaceAreaSplitDepth + 40;

// Lanes without a shape have a NaN centre, which no ray hits; they are tubes in a leaf of tubes and
// balls in any other.
template <int N>
struct alignas(64) WideLeaf {
    float centerX[N];
    float centerY[N];
    float centerZ[N];
    float radius[N];
    float height[N];  // of the tubes
    // In the file order, with kTubeBit set for a tube: eight lanes fill three cache lines.
    std::uint32_t position[N];
};

constexpr std::uint32_t kTubeBit = 1u << 31;

template <int N>
struct WideTree {
    std::vector<WideNode<N>> nodes;  // the root first
    std::vector<WideLeaf<N>> leaves;
    rounding::ShapeReach reach;  // what the boxes' widening needs of the shapes

    static constexpr std::uint32_t nodeChild(std::size_t index) {
        return static_cast<std::uint32_t>(index << 1);
    }
    static constexpr std::uint32_t leafChild(std::size_t index) {
        return static_cast<std::uint32_t>(index << 1 | 1);
    }
};
