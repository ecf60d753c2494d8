#pragma once

#include <cstdint>

#include "render/ball_quad.h"
#include "render/wide_node.h"
#include "shapes/cylinder.h"
#include "shapes/sphere.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Up to four balls and tubes of one leaf of the shape index, hit-tested at once with exactly the
// operations of intersectBall and intersectTube, in the same order and precision, so that every
// distance comes out identical. Lanes without a shape are balls with a NaN centre, which no ray
// hits.
struct alignas(16) MixedQuad {
    float centerX[WideNode::kLanes];
    float centerY[WideNode::kLanes];
    float centerZ[WideNode::kLanes];
    float radius[WideNode::kLanes];
    float height[WideNode::kLanes];            // of the tubes
    unsigned tubes;                            // bit i: lane i is a tube, else a ball
    std::uint32_t position[WideNode::kLanes];  // in the file order
};

namespace mixed_quad {

// Per lane: whether the lane's own hit test reports a hit, and its distance. Bit i is lane i.
inline unsigned hitsScalar(const MixedQuad& quad, const Ray& ray, float distance[]) {
    unsigned hits = 0;
    for (int lane = 0; lane < WideNode::kLanes; ++lane) {
        const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
        Point point;
        const bool hit =
            (quad.tubes >> lane & 1u) != 0
                ? intersectTube(center, quad.radius[lane], quad.height[lane], ray, point,
                                distance[lane])
                : intersectBall(center, quad.radius[lane], ray, point, distance[lane]) &&
                      distance[lane] == distance[lane];
        if (hit) hits |= 1u << lane;
    }
    return hits;
}

#if defined(__SSE2__)

// Whether each of the four y lie on the wall between bottom and top, ends included.
inline __m128 withinTube(__m128 y, __m128 bottom, __m128 top) {
    return _mm_and_ps(_mm_cmple_ps(bottom, y), _mm_cmple_ps(y, top));
}

// (minusB + root) / twoA in double, two lanes at a time, rounded to float.
inline __m128 tubeRoot(__m128 minusB, __m128d lowRoot, __m128d highRoot, __m128 twoA) {
    const __m128d low = _mm_div_pd(_mm_add_pd(_mm_cvtps_pd(minusB), lowRoot), _mm_cvtps_pd(twoA));
    const __m128d high =
        _mm_div_pd(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(minusB, minusB)), highRoot),
                   _mm_cvtps_pd(_mm_movehl_ps(twoA, twoA)));
    return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}

// The tube test of every lane, as intersectTube takes it.
inline unsigned tubeHitsSse(const MixedQuad& quad, const RayLanes& ray, float distance[]) {
    const __m128 two = _mm_set1_ps(2.0f);
    const __m128 dx = _mm_load_ps(ray.direction[0]);
    const __m128 dy = _mm_load_ps(ray.direction[1]);
    const __m128 dz = _mm_load_ps(ray.direction[2]);
    const __m128 ox = _mm_load_ps(ray.origin[0]);
    const __m128 oy = _mm_load_ps(ray.origin[1]);
    const __m128 oz = _mm_load_ps(ray.origin[2]);
    const __m128 mx = _mm_load_ps(quad.centerX);
    const __m128 mz = _mm_load_ps(quad.centerZ);
    const __m128 radius = _mm_load_ps(quad.radius);
    const __m128 halfHeight = _mm_mul_ps(_mm_load_ps(quad.height), _mm_set1_ps(0.5f));
    const __m128 top = _mm_add_ps(_mm_load_ps(quad.centerY), halfHeight);
    const __m128 bottom = _mm_sub_ps(_mm_load_ps(quad.centerY), halfHeight);

    const __m128 a = _mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dz, dz));
    const __m128 b =
        _mm_sub_ps(_mm_add_ps(_mm_mul_ps(_mm_mul_ps(_mm_set1_ps(-2.0f), mx), dx),
                              _mm_mul_ps(two, _mm_add_ps(_mm_mul_ps(dx, ox), _mm_mul_ps(dz, oz)))),
                   _mm_mul_ps(_mm_mul_ps(two, dz), mz));
    const __m128 inner =
        _mm_sub_ps(_mm_sub_ps(_mm_sub_ps(_mm_add_ps(_mm_mul_ps(ox, ox), _mm_mul_ps(oz, oz)),
                                         _mm_mul_ps(radius, radius)),
                              _mm_mul_ps(_mm_mul_ps(two, ox), mx)),
                   _mm_mul_ps(_mm_mul_ps(two, oz), mz));
    const __m128 k = _mm_add_ps(_mm_add_ps(_mm_mul_ps(mx, mx), inner), _mm_mul_ps(mz, mz));
    const __m128 discriminant =
        _mm_sub_ps(_mm_mul_ps(b, b), _mm_mul_ps(a, _mm_mul_ps(_mm_set1_ps(4.0f), k)));
    // Most tests miss here; the roots' divisions are worth skipping.
    const __m128 real = _mm_cmpge_ps(discriminant, _mm_setzero_ps());
    if (_mm_movemask_ps(real) == 0) return 0;

    const __m128 minusB = _mm_xor_ps(b, _mm_set1_ps(-0.0f));
    const __m128 twoA = _mm_mul_ps(two, a);
    const __m128d lowRoot = _mm_sqrt_pd(_mm_cvtps_pd(discriminant));
    const __m128d highRoot = _mm_sqrt_pd(_mm_cvtps_pd(_mm_movehl_ps(discriminant, discriminant)));
    // Subtracting the root is adding its negation, bit for bit.
    const __m128d signBit = _mm_set1_pd(-0.0);
    const __m128 nearRoot =
        tubeRoot(minusB, _mm_xor_pd(lowRoot, signBit), _mm_xor_pd(highRoot, signBit), twoA);
    const __m128 farRoot = tubeRoot(minusB, lowRoot, highRoot, twoA);
    const __m128 nearWithin = withinTube(_mm_add_ps(oy, _mm_mul_ps(nearRoot, dy)), bottom, top);
    const __m128 farWithin = withinTube(_mm_add_ps(oy, _mm_mul_ps(farRoot, dy)), bottom, top);
    const __m128 twoRoots =
        _mm_or_ps(_mm_and_ps(nearWithin, nearRoot), _mm_andnot_ps(nearWithin, farRoot));
    const __m128 twoRootsMet = _mm_or_ps(nearWithin, farWithin);

    // A discriminant of 0 takes the single root, which a direction parallel to the axis never
    // has.
    const __m128 touching = _mm_cmpeq_ps(discriminant, _mm_setzero_ps());
    const __m128 single = _mm_div_ps(minusB, twoA);
    const __m128 singleMet = _mm_andnot_ps(_mm_cmpeq_ps(a, _mm_setzero_ps()), touching);
    const __m128 t = _mm_or_ps(_mm_and_ps(touching, single), _mm_andnot_ps(touching, twoRoots));
    _mm_storeu_ps(distance, t);
    const __m128 rootMet =
        _mm_or_ps(_mm_and_ps(touching, singleMet), _mm_andnot_ps(touching, twoRootsMet));
    const __m128 met =
        _mm_and_ps(_mm_and_ps(rootMet, real),
                   _mm_and_ps(_mm_cmpge_ps(t, _mm_setzero_ps()),
                              withinTube(_mm_add_ps(_mm_mul_ps(t, dy), oy), bottom, top)));
    return static_cast<unsigned>(_mm_movemask_ps(met));
}

#endif

// The lanes the ray hits, and where, by the fastest path this build has.
inline unsigned hits(const MixedQuad& quad, const Ray& ray, const RayLanes& lanes,
                     float distance[]) {
#if defined(__SSE2__)
    static_cast<void>(ray);
    // Lanes past the leaf's shapes count as balls.
    unsigned met = quad.tubes == 0xF ? 0 : ball_quad::hitsSse(quad, lanes, distance) & ~quad.tubes;
    float tubeDistance[WideNode::kLanes];
    unsigned tubesMet = tubeHitsSse(quad, lanes, tubeDistance) & quad.tubes;
    met |= tubesMet;
    while (tubesMet != 0) {
        const int lane = __builtin_ctz(tubesMet);
        tubesMet &= tubesMet - 1;
        distance[lane] = tubeDistance[lane];
    }
    return met;
#else
    static_cast<void>(lanes);
    return hitsScalar(quad, ray, distance);
#endif
}

}  // namespace mixed_quad
