#include <gtest/gtest.h>

#include <array>

#include "geometry/camera.h"
#include "geometry/point.h"
#include "geometry/ray.h"

namespace {

using Xyz = std::array<float, 3>;
Xyz xyz(const Vector& v) { return {v.x, v.y, v.z}; }
Xyz xyz(const Point& p) { return {p.x, p.y, p.z}; }

}  // namespace

TEST(Vector, IsBuiltNormalisedAndZeroStaysZero) {
    EXPECT_EQ(xyz(Vector(3, 0, 4)), (Xyz{0.6f, 0, 0.8f}));
    EXPECT_EQ(xyz(Vector(0, 0, 0)), (Xyz{0, 0, 0}));
    const Vector u(1, 2, 3);
    EXPECT_EQ(xyz(u - u), (Xyz{0, 0, 0}));
    EXPECT_EQ(xyz(Point(1, 2, 3).directionTo(Point(1, 2, 3))), (Xyz{0, 0, 0}));
}

TEST(Vector, ClampedDotCountsObtuseAnglesAsZeroAndRenormalisesAScaledOperand) {
    Vector u(1, 0, 0), back(-1, 0, 0), across(0, 1, 0), same(0, 0.6f, 0.8f);
    EXPECT_EQ(u.clampedDot(back), 0.0f);
    EXPECT_EQ(u.clampedDot(across), 0.0f);
    EXPECT_EQ(Vector(0, 0.6f, 0.8f).clampedDot(same), 1.0f);
    Vector w(1, 2, 2);
    Vector scaled = w;
    scaled.scale(3.0f);
    EXPECT_NEAR(scaled.clampedDot(w), 1.0f, 1e-6f);
    EXPECT_EQ(xyz(scaled), xyz(w));
}

TEST(Point, MovesAlongAVectorAndAimsRaysBothWays) {
    Point p(1, 1, 1);
    p.addScaled(0.5f, Vector(0, 0.6f, 0.8f));
    EXPECT_EQ(xyz(p), (Xyz{1, 1.3f, 1.4f}));
    const Point q(0, 10, 0);
    EXPECT_EQ(xyz(q.rayTo(Point()).origin), (Xyz{0, 10, 0}));
    EXPECT_EQ(xyz(q.rayTo(Point()).direction), (Xyz{0, -1, 0}));
    EXPECT_EQ(xyz(q.rayFrom(Point()).origin), (Xyz{0, 0, 0}));
    EXPECT_EQ(xyz(q.rayFrom(Point()).direction), (Xyz{0, 1, 0}));
}

TEST(Camera, PrimaryRaysLeaveTheEyeThroughThePixelNormalisedOnce) {
    EXPECT_EQ(xyz(primaryRay(0, 0).origin), (Xyz{0, 0, 256}));
    EXPECT_EQ(xyz(primaryRay(256, 0).direction), (Xyz{0.70710677f, 0, -0.70710677f}));
    // Normalising a unit vector again moves many directions by one unit in the last place.
    for (int y = -120; y <= 120; y += 7) {
        for (int x = -160; x <= 160; x += 7) {
            const Vector once(static_cast<float>(x), static_cast<float>(y), -256.0f);
            ASSERT_EQ(xyz(primaryRay(static_cast<float>(x), static_cast<float>(y)).direction),
                      xyz(once));
        }
    }
}
