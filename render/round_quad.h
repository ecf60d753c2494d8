#pragma once

#include <cstdint>

#include "render/wide_node.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The balls and tubes of one leaf of the shape index, laid out to tell at once which of them a ray
// surely misses. Each lane's discriminant is formed with exactly the operations of its own hit
// test, intersectBall or intersectTube, in the same order and precision; where it is below 0, that
// test reports a miss too. Lanes past the leaf's shapes are left to the caller to ignore.
struct alignas(16) RoundQuad {
    float centerX[WideNode::kLanes];
    float centerY[WideNode::kLanes];
    float centerZ[WideNode::kLanes];
    float radius[WideNode::kLanes];
    std::uint32_t tube[WideNode::kLanes];  // all bits set where the lane holds a tube
};

namespace round_quad {

inline float ballDiscriminant(const RoundQuad& quad, int lane, const Ray& ray) {
    const Vector& d = ray.direction;
    const Point& o = ray.origin;
    const float wx = o.x - quad.centerX[lane];
    const float wy = o.y - quad.centerY[lane];
    const float wz = o.z - quad.centerZ[lane];
    const float a = d.x * d.x + d.y * d.y + d.z * d.z;
    const float b = 2.0f * (d.x * wx + d.y * wy + d.z * wz);
    const float k = (wx * wx + wy * wy + wz * wz) - quad.radius[lane] * quad.radius[lane];
    return b * b - a * (4.0f * k);
}

inline float tubeDiscriminant(const RoundQuad& quad, int lane, const Ray& ray) {
    const Vector& d = ray.direction;
    const Point& o = ray.origin;
    const float mx = quad.centerX[lane];
    const float mz = quad.centerZ[lane];
    const float r = quad.radius[lane];
    const float a = d.x * d.x + d.z * d.z;
    const float b = -2.0f * mx * d.x + 2.0f * (d.x * o.x + d.z * o.z) - 2.0f * d.z * mz;
    const float k =
        mx * mx + (o.x * o.x + o.z * o.z - r * r - 2.0f * o.x * mx - 2.0f * o.z * mz) + mz * mz;
    return b * b - a * (4.0f * k);
}

// Bit i set where lane i may be hit: its discriminant is not below 0, or is NaN.
inline unsigned mayHitScalar(const RoundQuad& quad, const Ray& ray) {
    unsigned may = 0;
    for (int lane = 0; lane < WideNode::kLanes; ++lane) {
        const float discriminant = quad.tube[lane] != 0 ? tubeDiscriminant(quad, lane, ray)
                                                        : ballDiscriminant(quad, lane, ray);
        if (!(discriminant < 0.0f)) may |= 1u << lane;
    }
    return may;
}

#if defined(__SSE2__)

inline unsigned mayHitSse(const RoundQuad& quad, const RayLanes& ray) {
    const __m128 dx = _mm_load_ps(ray.direction[0]);
    const __m128 dy = _mm_load_ps(ray.direction[1]);
    const __m128 dz = _mm_load_ps(ray.direction[2]);
    const __m128 ox = _mm_load_ps(ray.origin[0]);
    const __m128 oz = _mm_load_ps(ray.origin[2]);
    const __m128 mx = _mm_load_ps(quad.centerX);
    const __m128 mz = _mm_load_ps(quad.centerZ);
    const __m128 r = _mm_load_ps(quad.radius);
    const __m128 two = _mm_set1_ps(2.0f);
    const __m128 four = _mm_set1_ps(4.0f);

    const __m128 wx = _mm_sub_ps(ox, mx);
    const __m128 wy = _mm_sub_ps(_mm_load_ps(ray.origin[1]), _mm_load_ps(quad.centerY));
    const __m128 wz = _mm_sub_ps(oz, mz);
    const __m128 ballA = _mm_load_ps(ray.squaredLength);
    const __m128 ballB = _mm_mul_ps(
        two, _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, wx), _mm_mul_ps(dy, wy)), _mm_mul_ps(dz, wz)));
    const __m128 ballK = _mm_sub_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(wx, wx), _mm_mul_ps(wy, wy)), _mm_mul_ps(wz, wz)),
        _mm_mul_ps(r, r));
    const __m128 ball =
        _mm_sub_ps(_mm_mul_ps(ballB, ballB), _mm_mul_ps(ballA, _mm_mul_ps(four, ballK)));

    const __m128 tubeA = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dz, dz));
    const __m128 tubeB = _mm_sub_ps(
        _mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_set1_ps(-2.0f), mx), dx),
                   _mm_mul_ps(two, _mm_add_ps(_mm_mul_ps(dx, ox), _mm_mul_ps(dz, oz)))),
        _mm_mul_ps(_mm_mul_ps(two, dz), mz));
    const __m128 inner = _mm_sub_ps(
        _mm_sub_ps(_mm_sub_ps(_mm_add_ps(_mm_mul_ps(ox, ox), _mm_mul_ps(oz, oz)), _mm_mul_ps(r, r)),
                   _mm_mul_ps(_mm_mul_ps(two, ox), mx)),
        _mm_mul_ps(_mm_mul_ps(two, oz), mz));
    const __m128 tubeK = _mm_add_ps(_mm_add_ps(_mm_mul_ps(mx, mx), inner), _mm_mul_ps(mz, mz));
    const __m128 tube =
        _mm_sub_ps(_mm_mul_ps(tubeB, tubeB), _mm_mul_ps(tubeA, _mm_mul_ps(four, tubeK)));

    const __m128 isTube = _mm_load_ps(reinterpret_cast<const float*>(quad.tube));
    const __m128 discriminant = _mm_or_ps(_mm_and_ps(isTube, tube), _mm_andnot_ps(isTube, ball));
    const __m128 miss = _mm_cmplt_ps(discriminant, _mm_setzero_ps());
    return static_cast<unsigned>(_mm_movemask_ps(miss)) ^ 0xFu;
}

#endif

// The lanes the ray may hit, by the fastest path this build has.
inline unsigned mayHit(const RoundQuad& quad, const Ray& ray, const RayLanes& lanes) {
#if defined(__SSE2__)
    static_cast<void>(ray);
    return mayHitSse(quad, lanes);
#else
    static_cast<void>(lanes);
    return mayHitScalar(quad, ray);
#endif
}

}  // namespace round_quad
