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

TEST(Vector, IsBuiltNormalisedAndClampedDotRenormalisesAScaledOperand) {
    Vector u(3, 0, 4), same(0, 0.6f, 0.8f), w(1, 2, 2), scaled = w;
    EXPECT_EQ(xyz(u), (Xyz{0.6f, 0, 0.8f}));
    EXPECT_EQ(xyz(u - u), (Xyz{0, 0, 0}));                            // not NaN
    EXPECT_EQ(xyz(Vector(1e-30f, -1e-30f, 1e-30f)), (Xyz{0, 0, 0}));  // squares underflow to 0
    // Sums, cross products and directions between points along every axis, normalised as they
    // are built.
    const Vector sum = u + Vector(0.48f, 0.6f, 0.64f);  // (1.08, 0.6, 1.44) / 1.8974
    const Vector normal = w.cross(Vector(2, -1, 2));    // (6, 2, -5) / √65
    const Vector toward = Point(1, 2, 3).directionTo(Point(4, 6, 3));
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(xyz(sum)[axis], (Xyz{0.5692100f, 0.3162278f, 0.7589466f})[axis], 1e-6f);
        EXPECT_NEAR(xyz(normal)[axis], (Xyz{0.7442084f, 0.2480695f, -0.6201737f})[axis], 1e-6f);
        EXPECT_NEAR(xyz(toward)[axis], (Xyz{0.6f, 0.8f, 0})[axis], 1e-6f);
    }
    EXPECT_EQ(Vector(-1, 0, 0).clampedDot(u), 0.0f);
    EXPECT_EQ(Vector(0, 0.6f, 0.8f).clampedDot(same), 1.0f);
    Vector far(0, 0, 1);  // a product above 1 normalises the argument too, in place
    far.scale(5.0f);
    EXPECT_EQ(Vector(0, 0, 1).clampedDot(far), 1.0f);
    EXPECT_EQ(xyz(far), (Xyz{0, 0, 1}));
    scaled.scale(3.0f);
    EXPECT_NEAR(scaled.clampedDot(w), 1.0f, 1e-6f);
    EXPECT_EQ(xyz(scaled), xyz(w));
    scaled.negate();
    EXPECT_EQ(xyz(scaled), (Xyz{-xyz(w)[0], -xyz(w)[1], -xyz(w)[2]}));
}

TEST(Ray, LeavesAPointOrTheEyeNormalisedOnce) {
    Point p(1, 1, 1);
    p.addScaled(0.5f, Vector(0, 0.6f, 0.8f));
    EXPECT_EQ(xyz(p), (Xyz{1, 1.3f, 1.4f}));
    const Ray from = Point(0, 10, 0).rayFrom(Point());
    EXPECT_EQ(xyz(from.origin), (Xyz{0, 0, 0}));
    EXPECT_EQ(xyz(from.direction), (Xyz{0, 1, 0}));
    EXPECT_EQ(xyz(primaryRay(0, 0).origin), (Xyz{0, 0, 256}));
    // Normalising a unit vector again would move many directions by one unit in the last place.
    for (float y = -120; y <= 120; y += 7) {
        for (float x = -160; x <= 160; x += 7) {
            ASSERT_EQ(xyz(primaryRay(x, y).direction), xyz(Vector(x, y, -256)));
        }
    }
}
