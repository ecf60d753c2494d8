#include "geometry/point.h"

#include <gtest/gtest.h>

#include "geometry/ray.h"

namespace {

void expectPoint(const Point& p, float x, float y, float z) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}

void expectVector(const Vector& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

}  // namespace

TEST(Point, IsNeverNormalised) { expectPoint(Point(3, 0, 4), 3.0f, 0.0f, 4.0f); }

TEST(Point, AddScaledMovesInPlace) {
    Point p(1, 1, 1);
    p.addScaled(0.5f, Vector(0, 1, 0));
    expectPoint(p, 1.0f, 1.5f, 1.0f);
}

TEST(Point, DirectionToIsUnitOrZero) {
    expectVector(Point(0, 0, 256).directionTo(Point(0, 0, 0)), 0.0f, 0.0f, -1.0f);
    expectVector(Point(1, 2, 3).directionTo(Point(1, 2, 3)), 0.0f, 0.0f, 0.0f);
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

TEST(Ray, NormalisesItsDirectionOnceMore) {
    Vector longer(0, 0, 1);
    longer.scale(5.0f);
    expectVector(Ray(Point(), longer).direction, 0.0f, 0.0f, 1.0f);
    Vector zero(1, 0, 0);
    zero.scale(0.0f);
    expectVector(Ray(Point(), zero).direction, 0.0f, 0.0f, 0.0f);
}
