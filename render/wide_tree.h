#pragma once

#include <cstdint>
#include <vector>

// The shape index's tree for N lanes: nodes of up to N child boxes and leaves of up to N balls
// and tubes, each tested against a ray N at a time.
template <int N>
struct alignas(64) WideNode {
    float side[2][3][N];     // [0] the low sides, [1] the high sides, rounded outward
    std::uint32_t child[N];  // a node's index shifted left once, or a leaf's with the low bit set
    // The allowance factors are the node's, not each lane's: taken over all its lanes, they can
    // only widen a lane, and they keep a node of 4 lanes to two cache lines.
    float ballRim;            // c / 2r of the smallest ball radius under it; 0 without a ball
    float tubeRim;            // the same for tubes
    float tubeReach;          // the largest |x| or |z| of its lanes that hold a tube, else kNoTube
    std::uint32_t laneCount;  // lanes past it hold nothing
};

// Below this depth the builder splits by binned surface area, then by halving the count: no tree
// is deeper than this and the 28 halvings the largest indexed scene needs.
constexpr int kSurfaceAreaSplitDepth = 48;
constexpr int kDeepestNode = kSurfaceAreaSplitDepth + 40;

// A tubeReach for nodes without tubes, far below any origin's, so that it adds nothing.
constexpr float kNoTube = -1e30f;

// Lanes without a shape are balls with a NaN centre, which no ray hits.
template <int N>
struct alignas(64) WideLeaf {
    float centerX[N];
    float centerY[N];
    float centerZ[N];
    float radius[N];
    float height[N];            // of the tubes
    std::uint32_t position[N];  // in the file order
    std::uint32_t tubes;        // bit i: lane i is a tube, else a ball
};

template <int N>
struct WideTree {
    std::vector<WideNode<N>> nodes;  // the root first
    std::vector<WideLeaf<N>> leaves;

    static constexpr std::uint32_t nodeChild(std::size_t index) {
        return static_cast<std::uint32_t>(index << 1);
    }
    static constexpr std::uint32_t leafChild(std::size_t index) {
        return static_cast<std::uint32_t>(index << 1 | 1);
    }
};
