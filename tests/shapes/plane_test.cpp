#include "shapes/plane.h"

#include <gtest/gtest.h>

#include <string>

#include "support/expect_hit.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

TEST(Plane, HitsEitherFaceOnlyAhead) {
    struct Case {
        const char* name;
        float a, b, c, d;
        Point origin;
        Vector direction;
        bool hit;
        float t;
        Point point;
    };
    const Point eye(0, 0, 256);
    const Vector down(0, -0.6f, -0.8f);
    const Case cases[] = {
        {"floor", 0, 1, 0, 100, eye, down, true, 166.667f, {0, -100, 122.667f}},
        {"floor scaled", 0, 2, 0, 200, eye, down, true, 166.667f, {0, -100, 122.667f}},
        {"higher floor", 0, 2, 0, 100, eye, down, true, 83.3333f, {0, -50, 189.333f}},
        {"from below", 0, 1, 0, 100, {0, -200, 0}, Vector(0, 1, 0), true, 100, {0, -100, 0}},
        {"moving away", 0, 1, 0, 100, eye, Vector(0, 0.6f, -0.8f), false, 0, {}},
        {"parallel", 0, 1, 0, 100, eye, Vector(1, 0, 0), false, 0, {}},
        {"lying in it", 0, 1, 0, 100, {0, -100, 0}, Vector(1, 0, 0), false, 0, {}},
        {"origin on it", 0, 1, 0, 100, {3, -100, 4}, down, true, 0, {3, -100, 4}},
        {"no coefficients", 0, 0, 0, 5, eye, down, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Plane plane(c.a, c.b, c.c, c.d, 0, 0, 0, 0, 0, nullptr);
        expectHit(plane, Ray(c.origin, c.direction), c.hit, c.t, c.point, 1e-3f);
    }
}

TEST(Plane, NormalIsNormalisedCoefficients) {
    const Vector tilted = Plane(0, 3, 4, 9, 0, 0, 0, 0, 0, nullptr).normalAt(Point(1, 2, 3));
    EXPECT_EQ(tilted.x, 0.0f);
    EXPECT_EQ(tilted.y, 0.6f);
    EXPECT_EQ(tilted.z, 0.8f);
    const Vector none = Plane(0, 0, 0, 1, 0, 0, 0, 0, 0, nullptr).normalAt(Point());
    EXPECT_EQ(none.x * none.x + none.y * none.y + none.z * none.z, 0.0f);
}

TEST(Plane, TexturedPlaneShowsPlainColour) {
    TempDir dir;
    const std::string texture = dir.write("t.pcx", indexedPicture(2, 2, {9, 9, 9, 9}).bytes());
    const Plane plane(0, 1, 0, 100, 0.25f, 0.5f, 0.75f, 0, 0, texture.c_str());
    EXPECT_TRUE(plane.textured);
    const Point p(10, -100, 20);
    EXPECT_EQ(plane.redAt(p), 0.25f);
    EXPECT_EQ(plane.greenAt(p), 0.5f);
    EXPECT_EQ(plane.blueAt(p), 0.75f);
}
