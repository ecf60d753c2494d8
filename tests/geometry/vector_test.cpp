#include "geometry/vector.h"

#include <gtest/gtest.h>

#include "support/expect_geometry.h"

TEST(Vector, IsBuiltNormalisedAndZeroStaysZero) {
    expectVector(Vector(3, 0, 4), 0.6f, 0.0f, 0.8f);
    expectVector(Vector(0, 0, 0), 0.0f, 0.0f, 0.0f);
    const Vector u(1, 2, 3);
    expectVector(u - u, 0.0f, 0.0f, 0.0f);
}

TEST(Vector, ClampedDotCountsObtuseAnglesAsZeroAndKeepsUnitOperands) {
    struct Case {
        Vector u;
        Vector w;
        float expected;
    };
    const Case cases[] = {
        {{1, 0, 0}, {-1, 0, 0}, 0.0f},
        {{1, 0, 0}, {0, 1, 0}, 0.0f},
        {{0, 0.6f, 0.8f}, {0, 0.6f, 0.8f}, 1.0f},
    };
    for (Case c : cases) {
        const Case before = c;
        EXPECT_EQ(c.u.clampedDot(c.w), c.expected);
        expectVector(c.u, before.u.x, before.u.y, before.u.z);
    }
}

TEST(Vector, ClampedDotAboveOneRenormalisesAScaledOperand) {
    Vector u(1, 0, 0);
    u.scale(2.0f);
    expectVector(u, 2.0f, 0.0f, 0.0f);
    Vector w(1, 0, 0);
    EXPECT_EQ(u.clampedDot(w), 1.0f);
    expectVector(u, 1.0f, 0.0f, 0.0f);
}
