#pragma once

#include <cmath>
#include <cstdint>

#include "geometry/ray.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A node of the shape index: up to four child boxes in float, tested against a ray at once.
//
// Each box is widened per ray by a rounding allowance, so that it lets through every ray that the
// float hit tests could report as meeting a shape inside it. A float hit test rounds its
// discriminant by up to about 16 × 2^-24 times the squared scale S² of the coordinates involved,
// so a hit it reports lies within sqrt(r² + c S²) of the centre or axis instead of r, where c is
// that bound doubled twice (on random grazing rays the worst seen is 9 × 2^-24). For a ball, S is
// the distance from the ray's origin to the centre, bounded by that to the box's farthest corner.
// A tube's test expands products of absolute coordinates, each rounded with an error of its own
// size; gathered per axis, their sum is (|x| of the origin + |x| of the centre)² plus the same in
// z, bounded by the largest |x| and |z| of the node's boxes that hold a tube. A lane takes the
// larger of the two squares, which bounds either kind. The allowance sqrt(r² + c S²) - r is at most
// c S² / 2r and at most sqrt(c) S; the smaller is taken. Where S stands alone it is bounded by the
// sum of the reaches along the axes and the tube's two terms, which is never below the root of
// either square and keeps a square root off every node test.
//
// The slab test itself runs in float. Its subtractions, the allowance's own arithmetic and the
// float inverse shift a widened slab side by less than 5 × 2^-24 S, and a direction up to 2^-21
// off unit length moves a reported distance by as much of itself; so every lane adds 2^-19 S on
// top and carries its factors 2^-20 larger.
struct alignas(64) WideNode {
    static constexpr int kLanes = 4;

    float side[2][3][kLanes];  // [0] the low sides, [1] the high sides, rounded outward
    // An index into the nodes or into the leaves of one kind, shifted past that kind.
    std::uint32_t child[kLanes];
    // The allowance factors are the node's, not each lane's: taken over all its lanes, they can
    // only widen a lane, and they keep the node to two cache lines.
    // c / 2r of the smallest radius under the node, rounded up; infinity when that radius is 0.
    float rimFactor;
    // The largest |x| [0] and |z| [1] in the lanes that hold a tube, else far below any origin's,
    // so that they add nothing.
    float tubeReach[2];
    std::uint32_t laneCount;
};
static_assert(sizeof(WideNode) == 128, "a node is two cache lines");

// The ray as every node test needs it, each value repeated across the lanes.
struct alignas(16) RayLanes {
    float origin[3][WideNode::kLanes];
    float inverse[3][WideNode::kLanes];  // ±infinity along an axis the ray does not move along
    float allowanceSign[3][WideNode::kLanes];  // -1 where the ray runs toward smaller coordinates
    float horizontal[2][WideNode::kLanes];     // |x| and |z| of the origin
    float direction[3][WideNode::kLanes];
    float squaredLength[WideNode::kLanes];  // of the direction, summed as the hit tests sum it
    int nearSide[3];  // which side of a box the ray meets first along each axis
    int farSide[3];

    explicit RayLanes(const Ray& ray);
};

namespace wide_node {

// c = 64 × 2^-24, the rounding of a float hit test per squared scale, and sqrt(c), both 2^-20
// larger.
constexpr double kRoundingPerSquaredScale = 64.0 / (1 << 24) * (1.0 + 0x1p-20);
constexpr float kRoundingPerScale = 0.001953125f * (1.0f + 0x1p-20f);
// What float slab arithmetic needs on top, per unit of scale.
constexpr float kFloatSlack = 0x1p-19f;
// The least widening, for scenes so small that float products underflow.
constexpr float kSmallestAllowance = 1e-6f;
// A tubeReach for lanes without tubes.
constexpr float kNoTube = -1e30f;

// The maximum and minimum as SSE computes them: the second operand whenever either is NaN, so that
// a NaN candidate never moves an accumulator passed second.
inline float laneMax(float a, float b) { return a > b ? a : b; }
inline float laneMin(float a, float b) { return a < b ? a : b; }

// Per lane: the rounding allowance by which the box is widened for this ray.
inline void allowances(const WideNode& node, const RayLanes& ray, float allowance[]) {
    for (int lane = 0; lane < WideNode::kLanes; ++lane) {
        float squaredScale = 0.0f;
        float scale = 0.0f;
        for (int axis = 0; axis < 3; ++axis) {
            const float near = node.side[ray.nearSide[axis]][axis][lane] - ray.origin[axis][lane];
            const float far = node.side[ray.farSide[axis]][axis][lane] - ray.origin[axis][lane];
            const float reach = laneMax(std::fabs(near), std::fabs(far));
            squaredScale = squaredScale + reach * reach;
            scale = scale + reach;
        }
        float tubeSquare = 0.0f;
        for (int axis = 0; axis < 2; ++axis) {
            const float tube = laneMax(ray.horizontal[axis][lane] + node.tubeReach[axis], 0.0f);
            tubeSquare = tubeSquare + tube * tube;
            scale = scale + tube;
        }
        squaredScale = laneMax(squaredScale, tubeSquare);
        const float rounding = laneMin(squaredScale * node.rimFactor, scale * kRoundingPerScale);
        allowance[lane] = laneMax(rounding + scale * kFloatSlack, kSmallestAllowance);
    }
}

// Per lane: whether the ray meets the box widened by allowance at a distance in 0..limit, and
// where it enters it. Bit i of the result is lane i; lanes past laneCount are never met. An axis
// the ray does not move along gives ±infinity, or NaN on the slab's very edge, and NaN never
// narrows the interval.
inline unsigned enterLanesScalar(const WideNode& node, const RayLanes& ray, const float allowance[],
                                 float limit, float enter[]) {
    unsigned met = 0;
    for (int lane = 0; lane < WideNode::kLanes; ++lane) {
        float nearest = 0.0f;
        float farthest = limit;
        for (int axis = 0; axis < 3; ++axis) {
            const float widen = allowance[lane] * ray.allowanceSign[axis][lane];
            const float near = node.side[ray.nearSide[axis]][axis][lane] - ray.origin[axis][lane];
            const float far = node.side[ray.farSide[axis]][axis][lane] - ray.origin[axis][lane];
            nearest = laneMax((near - widen) * ray.inverse[axis][lane], nearest);
            farthest = laneMin((far + widen) * ray.inverse[axis][lane], farthest);
        }
        enter[lane] = nearest;
        if (nearest <= farthest) met |= 1u << lane;
    }
    return met & ((1u << node.laneCount) - 1);
}

inline unsigned meetLanesScalar(const WideNode& node, const RayLanes& ray, float limit,
                                float enter[]) {
    float allowance[WideNode::kLanes];
    allowances(node, ray, allowance);
    return enterLanesScalar(node, ray, allowance, limit, enter);
}

#if defined(__SSE2__)

// The same operations as the scalar path, in the same order, four lanes at a time.
inline __m128 allowancesSse(const WideNode& node, const RayLanes& ray) {
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    __m128 squaredScale = _mm_setzero_ps();
    __m128 scale = _mm_setzero_ps();
    for (int axis = 0; axis < 3; ++axis) {
        const __m128 origin = _mm_load_ps(ray.origin[axis]);
        const __m128 near = _mm_sub_ps(_mm_load_ps(node.side[ray.nearSide[axis]][axis]), origin);
        const __m128 far = _mm_sub_ps(_mm_load_ps(node.side[ray.farSide[axis]][axis]), origin);
        const __m128 reach = _mm_max_ps(_mm_and_ps(near, absMask), _mm_and_ps(far, absMask));
        squaredScale = _mm_add_ps(squaredScale, _mm_mul_ps(reach, reach));
        scale = _mm_add_ps(scale, reach);
    }
    __m128 tubeSquare = _mm_setzero_ps();
    for (int axis = 0; axis < 2; ++axis) {
        const __m128 tube = _mm_max_ps(
            _mm_add_ps(_mm_load_ps(ray.horizontal[axis]), _mm_set1_ps(node.tubeReach[axis])),
            _mm_setzero_ps());
        tubeSquare = _mm_add_ps(tubeSquare, _mm_mul_ps(tube, tube));
        scale = _mm_add_ps(scale, tube);
    }
    squaredScale = _mm_max_ps(squaredScale, tubeSquare);
    const __m128 rounding = _mm_min_ps(_mm_mul_ps(squaredScale, _mm_set1_ps(node.rimFactor)),
                                       _mm_mul_ps(scale, _mm_set1_ps(kRoundingPerScale)));
    return _mm_max_ps(_mm_add_ps(rounding, _mm_mul_ps(scale, _mm_set1_ps(kFloatSlack))),
                      _mm_set1_ps(kSmallestAllowance));
}

inline unsigned enterLanesSse(const WideNode& node, const RayLanes& ray, __m128 allowance,
                              float limit, float enter[]) {
    __m128 nearest = _mm_setzero_ps();
    __m128 farthest = _mm_set1_ps(limit);
    for (int axis = 0; axis < 3; ++axis) {
        const __m128 origin = _mm_load_ps(ray.origin[axis]);
        const __m128 inverse = _mm_load_ps(ray.inverse[axis]);
        const __m128 widen = _mm_mul_ps(allowance, _mm_load_ps(ray.allowanceSign[axis]));
        const __m128 near = _mm_sub_ps(_mm_load_ps(node.side[ray.nearSide[axis]][axis]), origin);
        const __m128 far = _mm_sub_ps(_mm_load_ps(node.side[ray.farSide[axis]][axis]), origin);
        nearest = _mm_max_ps(_mm_mul_ps(_mm_sub_ps(near, widen), inverse), nearest);
        farthest = _mm_min_ps(_mm_mul_ps(_mm_add_ps(far, widen), inverse), farthest);
    }
    _mm_storeu_ps(enter, nearest);
    const unsigned met = static_cast<unsigned>(_mm_movemask_ps(_mm_cmple_ps(nearest, farthest)));
    return met & ((1u << node.laneCount) - 1);
}

#endif

// The lanes the ray meets within limit, by the fastest path this build has.
inline unsigned meetLanes(const WideNode& node, const RayLanes& ray, float limit, float enter[]) {
#if defined(__SSE2__)
    return enterLanesSse(node, ray, allowancesSse(node, ray), limit, enter);
#else
    return meetLanesScalar(node, ray, limit, enter);
#endif
}

}  // namespace wide_node
