#pragma once

#include <cstddef>
#include <limits>

#include "geometry/point.h"
#include "geometry/ray.h"
#include "render/wide_tree.h"

// A hit at this distance or farther is never taken.
constexpr float kNoHit = std::numeric_limits<float>::max();

// The best hit found so far among shapes in file order.
struct Candidate {
    bool found = false;
    std::size_t position = 0;  // in the file order
    float distance = kNoHit;
    Point point;

    // Whether a hit at distance on the shape at position is to be taken over this one: nearer, or
    // as near and earlier in the file.
    bool beatenBy(float hitDistance, std::size_t hitPosition) const {
        return hitDistance < distance ||
               (found && hitDistance == distance && hitPosition < position);
    }
};

// The tree's part of the shape index's two questions, for N lanes. Each lane count is compiled for
// its own instruction set in a file of its own (tree_search_lanes4.cpp, tree_search_lanes8.cpp).

// Makes the tree's best hit along the ray the best one where it beats it.
template <int N>
void nearestInTree(const WideTree<N>& tree, const Ray& ray, Candidate& best);

// Whether a shape of the tree other than the target's beats the target's hit; occluder then
// names one.
template <int N>
bool blockedInTree(const WideTree<N>& tree, const Ray& ray, const Candidate& target,
                   std::size_t& occluder);
