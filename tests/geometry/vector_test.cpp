#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

void expectVector(const Vector& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

}  // namespace

TEST(Vector, NormalisesOnConstruction) {
    expectVector(Vector(3, 0, 4), 0.6f, 0.0f, 0.8f);
    expectVector(Vector(0, 0, -5), 0.0f, 0.0f, -1.0f);
}

TEST(Vector, ZeroStaysZeroWithoutNaN) { expectVector(Vector(0, 0, 0), 0.0f, 0.0f, 0.0f); }

TEST(Vector, SubtractingEqualVectorsGivesZero) {
    const Vector u(1, 2, 3);
    expectVector(u - u, 0.0f, 0.0f, 0.0f);
}

TEST(Vector, AdditionAndCrossAreNormalised) {
    expectVector(Vector(1, 0, 0) + Vector(0, 1, 0), std::sqrt(0.5f), std::sqrt(0.5f), 0.0f);
    expectVector(Vector(1, 0, 0).cross(Vector(0, 1, 0)), 0.0f, 0.0f, 1.0f);
}

TEST(Vector, ScaleAndNegateWorkInPlaceWithoutNormalising) {
    Vector v(1, 0, 0);
    v.scale(2.0f);
    expectVector(v, 2.0f, 0.0f, 0.0f);
    v.negate();
    expectVector(v, -2.0f, 0.0f, 0.0f);
}

TEST(Vector, ClampedDotOfUnitVectors) {
    struct Case {
        const char* name;
        Vector u;
        Vector w;
        float expected;
    };
    const Case cases[] = {
        {"opposite counts as 0", {1, 0, 0}, {-1, 0, 0}, 0.0f},
        {"perpendicular", {1, 0, 0}, {0, 1, 0}, 0.0f},
        {"itself", {0, 0.6f, 0.8f}, {0, 0.6f, 0.8f}, 1.0f},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        const Vector uBefore = c.u;
        const Vector wBefore = c.w;
        EXPECT_EQ(c.u.clampedDot(c.w), c.expected);
        expectVector(c.u, uBefore.x, uBefore.y, uBefore.z);
        expectVector(c.w, wBefore.x, wBefore.y, wBefore.z);
    }
}

TEST(Vector, ClampedDotAboveOneRenormalisesBothOperands) {
    Vector u(1, 0, 0);
    u.scale(2.0f);
    Vector w(1, 0, 0);
    EXPECT_EQ(u.clampedDot(w), 1.0f);
    expectVector(u, 1.0f, 0.0f, 0.0f);
}

TEST(Vector, RandomDirectionsComeOutOfUnitLength) {
    const unsigned seed = 20261207;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> component(-1000.0f, 1000.0f);
    for (int i = 0; i < 500; ++i) {
        const Vector v(component(random), component(random), component(random));
        const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        ASSERT_NEAR(length, 1.0f, 1e-6f) << "seed " << seed << ", case " << i;
    }
}
