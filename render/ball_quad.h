#pragma once

#include "render/wide_node.h"
#include "shapes/sphere.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Up to four balls of one leaf of the shape index, hit-tested at once with exactly the operations
// of intersectBall, in the same order and precision, so that every distance comes out identical.
// Lanes without a ball have a NaN centre, which no ray hits. The quad fills one cache line; where
// its balls stand in the file order is kept apart, as only hits need it.
struct alignas(64) BallQuad {
    float centerX[WideNode::kLanes];
    float centerY[WideNode::kLanes];
    float centerZ[WideNode::kLanes];
    float radius[WideNode::kLanes];
};

namespace ball_quad {

// Per lane: whether intersectBall reports a hit at a distance that can be compared (not NaN), and
// that distance. Bit i of the result is lane i.
inline unsigned hitsScalar(const BallQuad& quad, const Ray& ray, float distance[]) {
    unsigned hits = 0;
    for (int lane = 0; lane < WideNode::kLanes; ++lane) {
        const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
        Point point;
        if (intersectBall(center, quad.radius[lane], ray, point, distance[lane]) &&
            distance[lane] == distance[lane]) {
            hits |= 1u << lane;
        }
    }
    return hits;
}

#if defined(__SSE2__)

// Quad: any type with BallQuad's four arrays.
template <typename Quad>
unsigned hitsSse(const Quad& quad, const RayLanes& ray, float distance[]) {
    const __m128 dx = _mm_load_ps(ray.direction[0]);
    const __m128 dy = _mm_load_ps(ray.direction[1]);
    const __m128 dz = _mm_load_ps(ray.direction[2]);
    const __m128 wx = _mm_sub_ps(_mm_load_ps(ray.origin[0]), _mm_load_ps(quad.centerX));
    const __m128 wy = _mm_sub_ps(_mm_load_ps(ray.origin[1]), _mm_load_ps(quad.centerY));
    const __m128 wz = _mm_sub_ps(_mm_load_ps(ray.origin[2]), _mm_load_ps(quad.centerZ));
    const __m128 radius = _mm_load_ps(quad.radius);
    const __m128 a = _mm_load_ps(ray.squaredLength);
    const __m128 b = _mm_mul_ps(
        _mm_set1_ps(2.0f),
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, wx), _mm_mul_ps(dy, wy)), _mm_mul_ps(dz, wz)));
    const __m128 k = _mm_sub_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(wx, wx), _mm_mul_ps(wy, wy)), _mm_mul_ps(wz, wz)),
        _mm_mul_ps(radius, radius));
    const __m128 discriminant =
        _mm_sub_ps(_mm_mul_ps(b, b), _mm_mul_ps(a, _mm_mul_ps(_mm_set1_ps(4.0f), k)));
    // Most tests miss here; the roots' square roots are worth skipping.
    const __m128 real = _mm_cmpge_ps(discriminant, _mm_setzero_ps());
    if (_mm_movemask_ps(real) == 0) return 0;
    const __m128 minusB = _mm_xor_ps(b, _mm_set1_ps(-0.0f));
    // The nearer root in double, two lanes at a time, as intersectBall takes it.
    const __m128d lowRoot =
        _mm_mul_pd(_mm_sub_pd(_mm_cvtps_pd(minusB), _mm_sqrt_pd(_mm_cvtps_pd(discriminant))),
                   _mm_set1_pd(0.5));
    const __m128d highRoot =
        _mm_mul_pd(_mm_sub_pd(_mm_cvtps_pd(_mm_movehl_ps(minusB, minusB)),
                              _mm_sqrt_pd(_mm_cvtps_pd(_mm_movehl_ps(discriminant, discriminant)))),
                   _mm_set1_pd(0.5));
    const __m128 root = _mm_movelh_ps(_mm_cvtpd_ps(lowRoot), _mm_cvtpd_ps(highRoot));
    const __m128 touching = _mm_cmpeq_ps(discriminant, _mm_setzero_ps());
    const __m128 single = _mm_mul_ps(minusB, _mm_set1_ps(0.5f));
    const __m128 t = _mm_or_ps(_mm_and_ps(touching, single), _mm_andnot_ps(touching, root));
    _mm_storeu_ps(distance, t);
    // A hit needs a discriminant not below 0 and a distance not below 0; NaN distances, which
    // never win, are left out.
    const __m128 met = _mm_and_ps(real, _mm_cmpge_ps(t, _mm_setzero_ps()));
    return static_cast<unsigned>(_mm_movemask_ps(met));
}

#endif

// The lanes the ray hits, and where, by the fastest path this build has.
inline unsigned hits(const BallQuad& quad, const Ray& ray, const RayLanes& lanes,
                     float distance[]) {
#if defined(__SSE2__)
    static_cast<void>(ray);
    return hitsSse(quad, lanes, distance);
#else
    static_cast<void>(lanes);
    return hitsScalar(quad, ray, distance);
#endif
}

}  // namespace ball_quad
