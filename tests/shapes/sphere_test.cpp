#include "shapes/sphere.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/expect_hit.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

Sphere plainSphere(const Point& center, float radius) {
    return Sphere(center.x, center.y, center.z, radius, 0.25f, 0.5f, 0.75f, 0, 0, nullptr);
}

}  // namespace

TEST(Sphere, HitsOnlyAtNearerRootAhead) {
    struct Case {
        const char* name;
        Point center;
        float radius;
        Point origin;
        float dirZ;
        bool hit;
        float t;
        Point point;
    };
    const Point eye(0, 0, 256);
    const Case cases[] = {
        {"head on", {0, 0, 0}, 50, eye, -1, true, 206, {0, 0, 50}},
        {"wholly behind origin", {0, 0, 300}, 10, eye, -1, false, 0, {}},
        {"origin inside", {0, 0, 256}, 10, eye, -1, false, 0, {}},
        {"grazing", {50, 0, 0}, 50, eye, -1, true, 256, {0, 0, 0}},
        {"on surface heading inward", {0, 0, 0}, 50, {0, 0, 50}, -1, true, 0, {0, 0, 50}},
        {"on surface heading outward", {0, 0, 0}, 50, {0, 0, 50}, 1, false, 0, {}},
        {"passing beside", {0, 0, 0}, 50, {50.5f, 0, 256}, -1, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectHit(plainSphere(c.center, c.radius), Ray(c.origin, Vector(0, 0, c.dirZ)), c.hit, c.t,
                  c.point);
    }
    const Vector normal = plainSphere({0, 0, 0}, 50).normalAt(Point(0, 0, 50));
    EXPECT_EQ(normal.z, 1.0f);
}

TEST(Sphere, RayAimedAtVisiblePointHitsItAtItsDistance) {
    const unsigned seed = 4242;
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> coordinate(-100, 100);
    std::uniform_real_distribution<float> length(1, 50);
    const auto direction = [&] {
        return Vector(coordinate(random), coordinate(random), coordinate(random));
    };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        const Point center(coordinate(random), coordinate(random), coordinate(random));
        const float radius = length(random);
        const Vector outward = direction();
        const Vector toOrigin = direction();
        // From outside the tangent plane at the target, the target is where the ray enters.
        if (outward.x * toOrigin.x + outward.y * toOrigin.y + outward.z * toOrigin.z < 0.2f)
            continue;
        Point target = center;
        target.addScaled(radius, outward);
        const float distance = 2 * length(random);
        Point origin = target;
        origin.addScaled(distance, toOrigin);
        expectHit(plainSphere(center, radius), origin.rayTo(target), true, distance, target,
                  1e-3f * (distance + radius));
    }
}

TEST(Sphere, ProjectsTextureAlongZ) {
    struct Case {
        const char* name;
        Point point;  // on the sphere of radius 50 around the origin
        int column;
        int row;
    };
    const Case cases[] = {
        {"front centre", {0, 0, 50}, 32, 16},
        {"back centre", {0, 0, -50}, 32, 16},
        {"smallest x", {-50, 0, 0}, 0, 16},
        {"smallest y", {0, -50, 0}, 32, 0},
        {"lower right", {25, -25, 35.35534f}, 48, 8},
        {"largest x reads last column", {50, 0, 0}, 63, 16},
        {"largest y reads last row", {0, 50, 0}, 32, 31},
    };
    // Index u + 7v mod 256, so that neighbouring texels differ.
    std::vector<unsigned char> indices;
    for (int i = 0; i < 64 * 32; ++i)
        indices.push_back(static_cast<unsigned char>(i % 64 + i / 64 * 7));
    TempDir dir;
    const std::string texture = dir.write("t.pcx", indexedPicture(64, 32, indices).bytes());
    const Sphere sphere(0, 0, 0, 50, 0.25f, 0.5f, 0.75f, 0, 0, texture.c_str());
    const Sphere plain = plainSphere({0, 0, 0}, 50);
    ASSERT_TRUE(sphere.textured);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(indexFromRed(sphere.redAt(c.point)), (c.column + 7 * c.row) % 256);
        EXPECT_EQ(sphere.greenAt(c.point), sphere.texture.greenAt(c.column, c.row));
        EXPECT_EQ(sphere.blueAt(c.point), sphere.texture.blueAt(c.column, c.row));
        EXPECT_EQ(plain.redAt(c.point), 0.25f);
        EXPECT_EQ(plain.greenAt(c.point), 0.5f);
        EXPECT_EQ(plain.blueAt(c.point), 0.75f);
    }
}
