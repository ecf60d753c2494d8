#pragma once

#include <gtest/gtest.h>

#include "shapes/shape.h"

// Expects the ray to hit the shape at distance t and at point, each within tolerance (0 asks for
// exact equality), or, when hit is false, to miss without writing either out-parameter.
inline void expectHit(const Shape& shape, const Ray& ray, bool hit, float t, const Point& point,
                      float tolerance = 0.0f) {
    const Point untouched(-7.0f, -7.0f, -7.0f);
    Point hitPoint = untouched;
    float distance = -7.0f;
    ASSERT_EQ(shape.intersect(ray, hitPoint, distance), hit);
    const Point expected = hit ? point : untouched;
    EXPECT_NEAR(distance, hit ? t : -7.0f, tolerance);
    EXPECT_NEAR(hitPoint.x, expected.x, tolerance);
    EXPECT_NEAR(hitPoint.y, expected.y, tolerance);
    EXPECT_NEAR(hitPoint.z, expected.z, tolerance);
}
