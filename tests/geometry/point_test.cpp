#include "geometry/point.h"

#include <gtest/gtest.h>

#include "geometry/ray.h"
#include "support/expect_geometry.h"

TEST(Point, AddScaledAndDirectionTo) {
    Point p(1, 1, 1);
    p.addScaled(0.5f, Vector(0, 1, 0));
    expectPoint(p, 1.0f, 1.5f, 1.0f);
    expectVector(Point(0, 0, 256).directionTo(Point(0, 0, 0)), 0.0f, 0.0f, -1.0f);
    expectVector(p.directionTo(p), 0.0f, 0.0f, 0.0f);
}

TEST(Point, RayToAndRayFromRunInOppositeDirections) {
    const Point q(0, 10, 0);
    const Point p(0, 0, 0);
    const Ray toward = q.rayTo(p);
    expectPoint(toward.origin, 0.0f, 10.0f, 0.0f);
    expectVector(toward.direction, 0.0f, -1.0f, 0.0f);
    const Ray from = q.rayFrom(p);
    expectPoint(from.origin, 0.0f, 0.0f, 0.0f);
    expectVector(from.direction, 0.0f, 1.0f, 0.0f);
}
