#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/ray.h"
#include "render/lanes.h"
#include "render/rounding_allowance.h"
#include "render/tree_search.h"
#include "render/wide_tree.h"

// The tests of the shape index's search, written once over N lanes, each inlined into the search
// so that the ray's lanes stay in registers. A translation unit compiles
// them for the instruction set it was built for (see tree_search.h): only include this from one.

// The ray as every test needs it, each value in every lane.
template <int N>
struct RayLanes {
    using Floats = typename Lanes<N>::Floats;

    Floats origin[3];
    Floats inverse[3];  // ±infinity along an axis the ray does not move along
    Floats widen[3];    // the rounding allowance, negative where the ray runs toward smaller values
    Floats direction[3];
    Floats squaredLength;  // of the direction, summed as the hit tests sum it
    int nearSide[3];       // which side of a box the ray meets first along each axis
    int farSide[3];

    RayLanes(const Ray& ray, const rounding::ShapeReach& shapes) {
        const float origins[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
        const float directions[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
        const float allowance = rounding::allowanceFrom(ray.origin, shapes);
        for (int axis = 0; axis < 3; ++axis) {
            const float inverseDirection = 1.0f / directions[axis];
            // A -0 direction runs toward smaller coordinates too.
            const bool backward = std::signbit(inverseDirection);
            nearSide[axis] = backward ? 1 : 0;
            farSide[axis] = backward ? 0 : 1;
            origin[axis] = Lanes<N>::splat(origins[axis]);
            inverse[axis] = Lanes<N>::splat(inverseDirection);
            widen[axis] = Lanes<N>::splat(backward ? -allowance : allowance);
            direction[axis] = Lanes<N>::splat(directions[axis]);
        }
        const Vector& d = ray.direction;
        squaredLength = Lanes<N>::splat(d.x * d.x + d.y * d.y + d.z * d.z);
    }
};

// Per lane: whether the ray meets the box widened by the rounding allowance at a distance in
// 0..limit, and where it enters it. Bit i of the result is lane i; lanes past laneCount are never
// met. An axis the ray does not move along gives ±infinity, or NaN on the slab's very edge, and
// NaN never narrows the interval.
template <int N>
[[gnu::always_inline]] inline unsigned meetLanes(const WideNode<N>& node, const RayLanes<N>& ray,
                                                 float limit, float enter[]) {
    using L = Lanes<N>;
    using Floats = typename L::Floats;
    Floats nearest = {};
    Floats farthest = L::splat(limit);
    for (int axis = 0; axis < 3; ++axis) {
        const Floats near = L::load(node.side[ray.nearSide[axis]][axis]) - ray.origin[axis];
        const Floats far = L::load(node.side[ray.farSide[axis]][axis]) - ray.origin[axis];
        nearest = L::max((near - ray.widen[axis]) * ray.inverse[axis], nearest);
        farthest = L::min((far + ray.widen[axis]) * ray.inverse[axis], farthest);
    }
    L::store(nearest, enter);
    return L::bits(nearest <= farthest) & ((1u << node.laneCount) - 1);
}

// Per lane: whether intersectBall reports a hit at a distance that can be compared (not NaN),
// and that distance, with exactly its operations in the same order and precision.
template <int N>
[[gnu::always_inline]] inline unsigned ballHits(const WideLeaf<N>& leaf, const RayLanes<N>& ray,
                                                unsigned wanted, float distance[]) {
    using L = Lanes<N>;
    using Floats = typename L::Floats;
    const Floats& dx = ray.direction[0];
    const Floats& dy = ray.direction[1];
    const Floats& dz = ray.direction[2];
    const Floats wx = ray.origin[0] - L::load(leaf.centerX);
    const Floats wy = ray.origin[1] - L::load(leaf.centerY);
    const Floats wz = ray.origin[2] - L::load(leaf.centerZ);
    const Floats radius = L::load(leaf.radius);
    const Floats b = 2.0f * (dx * wx + dy * wy + dz * wz);
    const Floats k = (wx * wx + wy * wy + wz * wz) - radius * radius;
    const Floats discriminant = b * b - ray.squaredLength * (4.0f * k);
    // Most tests miss here; the roots' square roots are worth skipping.
    const typename L::Mask real = discriminant >= 0.0f;
    if ((L::bits(real) & wanted) == 0) return 0;
    const Floats minusB = -b;
    const Floats root = L::narrow((L::widen(minusB) - L::sqrt(L::widen(discriminant))) * 0.5);
    const Floats t = discriminant == 0.0f ? minusB * 0.5f : root;
    L::store(t, distance);
    return L::bits(real & (t >= 0.0f)) & wanted;
}

// Per lane: whether intersectTube reports a hit, and its distance, with exactly its operations.
template <int N>
[[gnu::always_inline]] inline unsigned tubeHits(const WideLeaf<N>& leaf, const RayLanes<N>& ray,
                                                unsigned wanted, float distance[]) {
    using L = Lanes<N>;
    using Floats = typename L::Floats;
    using Mask = typename L::Mask;
    const Floats& dx = ray.direction[0];
    const Floats& dy = ray.direction[1];
    const Floats& dz = ray.direction[2];
    const Floats& ox = ray.origin[0];
    const Floats& oy = ray.origin[1];
    const Floats& oz = ray.origin[2];
    const Floats mx = L::load(leaf.centerX);
    const Floats mz = L::load(leaf.centerZ);
    const Floats radius = L::load(leaf.radius);
    const Floats halfHeight = L::load(leaf.height) * 0.5f;
    const Floats top = L::load(leaf.centerY) + halfHeight;
    const Floats bottom = L::load(leaf.centerY) - halfHeight;
    const auto within = [&](Floats y) -> Mask { return (bottom <= y) & (y <= top); };

    const Floats a = dx * dx + dz * dz;
    const Floats b = -2.0f * mx * dx + 2.0f * (dx * ox + dz * oz) - 2.0f * dz * mz;
    const Floats k =
        mx * mx + (ox * ox + oz * oz - radius * radius - 2.0f * ox * mx - 2.0f * oz * mz) + mz * mz;
    const Floats discriminant = b * b - a * (4.0f * k);
    // Most tests miss here; the roots' divisions are worth skipping.
    const Mask real = discriminant >= 0.0f;
    if ((L::bits(real) & wanted) == 0) return 0;

    const Floats minusB = -b;
    const Floats twoA = 2.0f * a;
    const typename L::Doubles root = L::sqrt(L::widen(discriminant));
    const Floats nearRoot = L::narrow((L::widen(minusB) - root) / L::widen(twoA));
    const Floats farRoot = L::narrow((L::widen(minusB) + root) / L::widen(twoA));
    const Mask nearWithin = within(oy + nearRoot * dy);
    const Floats twoRoots = nearWithin ? nearRoot : farRoot;
    const Mask twoRootsMet = nearWithin | within(oy + farRoot * dy);
    // A discriminant of 0 takes the single root, which a direction parallel to the axis never
    // has.
    const Mask touching = discriminant == 0.0f;
    const Floats t = touching ? minusB / twoA : twoRoots;
    L::store(t, distance);
    const Mask rootMet = touching ? Mask(a != 0.0f) : twoRootsMet;
    return L::bits(rootMet & real & (t >= 0.0f) & within(t * dy + oy)) & wanted;
}

// The lanes of a leaf the ray hits, and where, each by its own shape's test.
template <int N>
[[gnu::always_inline]] inline unsigned leafHits(const WideLeaf<N>& leaf, const RayLanes<N>& ray,
                                                float distance[]) {
    constexpr unsigned kEveryLane = (1u << N) - 1;
    const unsigned tubes = Lanes<N>::topBits(leaf.position);
    if (tubes == kEveryLane) return tubeHits(leaf, ray, kEveryLane, distance);
    unsigned met = ballHits(leaf, ray, ~tubes & kEveryLane, distance);
    if (tubes == 0) return met;
    float tubeDistance[N];
    unsigned tubesMet = tubeHits(leaf, ray, tubes, tubeDistance);
    met |= tubesMet;
    for (; tubesMet != 0; tubesMet &= tubesMet - 1) {
        const int lane = __builtin_ctz(tubesMet);
        distance[lane] = tubeDistance[lane];
    }
    return met;
}

// Calls visitHit(position, distance) for every shape the ray hits in the leaves it may meet
// within limit (read afresh at every box), nearest box first, until visitHit returns true;
// returns whether it did.
template <int N, bool kOrdered, typename VisitHit>
bool searchTree(const WideTree<N>& tree, const Ray& ray, const float& limit, VisitHit visitHit) {
    const RayLanes<N> lanes(ray, tree.reach);
    // Lanes the ray enters farther away wait here, with where it enters them: every level of
    // nodes leaves up to N - 1.
    struct Pending {
        std::uint32_t child;
        float enter;
    };
    Pending stack[(N - 1) * kDeepestNode + 1];
    int depth = 0;
    std::uint32_t node = 0;
    for (;;) {
        alignas(64) float enter[N];
        unsigned met = meetLanes(tree.nodes[node], lanes, limit, enter);
        // Pushed farthest first, so that the nearest lane is taken next and its hits shrink the
        // limit for the others.
        const int pushedFrom = depth;
        for (; met != 0; met &= met - 1) {
            const int lane = __builtin_ctz(met);
            const Pending pending{tree.nodes[node].child[lane], enter[lane]};
            int slot = depth++;
            while (kOrdered && slot > pushedFrom && stack[slot - 1].enter < pending.enter) {
                stack[slot] = stack[slot - 1];
                --slot;
            }
            stack[slot] = pending;
        }
        for (;;) {
            if (depth == 0) return false;
            const Pending next = stack[--depth];
            // The limit may have shrunk below where a waiting lane begins.
            if (next.enter > limit) continue;
            if ((next.child & 1) == 0) {
                node = next.child >> 1;
                break;
            }
            const WideLeaf<N>& leaf = tree.leaves[next.child >> 1];
            alignas(64) float distance[N];
            for (unsigned hits = leafHits(leaf, lanes, distance); hits != 0; hits &= hits - 1) {
                const int lane = __builtin_ctz(hits);
                if (visitHit(leaf.position[lane] & ~kTubeBit, distance[lane])) return true;
            }
        }
    }
}

template <int N>
void nearestInTree(const WideTree<N>& tree, const Ray& ray, Candidate& best) {
    bool improved = false;
    searchTree<N, true>(tree, ray, best.distance, [&](std::uint32_t position, float distance) {
        if (best.beatenBy(distance, position)) {
            best.found = improved = true;
            best.position = position;
            best.distance = distance;
        }
        return false;
    });
    // Where a ball's or a tube's own test places its point.
    if (improved) best.point = ray.pointAt(best.distance);
}

template <int N>
bool blockedInTree(const WideTree<N>& tree, const Ray& ray, const Candidate& target,
                   std::size_t& occluder) {
    return searchTree<N, false>(
        tree, ray, target.distance, [&](std::uint32_t position, float distance) {
            if (position == target.position || !target.beatenBy(distance, position)) return false;
            occluder = position;
            return true;
        });
}
