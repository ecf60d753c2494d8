#include "shapes/cylinder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/expect_hit.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

// Centre (0, 0, 0), radius 50, height 100: the wall spans y = -50 to 50.
Cylinder tube(const char* texture = nullptr) {
    return Cylinder(0, 0, 0, 50, 100, 0.25f, 0.5f, 0.75f, 0, 0, texture);
}

}  // namespace

TEST(Cylinder, HitsWallWithinHeightRange) {
    struct Case {
        const char* name;
        Point origin;
        Vector direction;
        bool hit;
        float t;
        Point point;
    };
    const Vector ahead(0, 0, -1);
    const Case cases[] = {
        {"head on", {0, 0, 256}, ahead, true, 206, {0, 0, 50}},
        {"above the top", {0, 60, 256}, ahead, false, 0, {}},
        {"at the top rim", {0, 50, 256}, ahead, true, 206, {0, 50, 50}},
        {"at the bottom rim", {0, -50, 256}, ahead, true, 206, {0, -50, 50}},
        {"through the open top",
         {0, 100, 0},
         Vector(0.6f, -0.8f, 0),
         true,
         83.3333f,
         {50, 33.3333f, 0}},
        {"origin inside", {0, 0, 0}, Vector(1, 0, 0), false, 0, {}},
        {"along the axis", {0, 100, 0}, Vector(0, -1, 0), false, 0, {}},
        {"grazing", {50, 0, 256}, ahead, true, 256, {50, 0, 0}},
        {"grazing above the top", {50, 51, 256}, ahead, false, 0, {}},
        {"wall behind", {0, 0, 256}, Vector(0, 0, 1), false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectHit(tube(), Ray(c.origin, c.direction), c.hit, c.t, c.point, 1e-3f);
    }
}

TEST(Cylinder, NormalIsHorizontalAwayFromAxis) {
    const Cylinder cylinder(10, 5, 0, 50, 100, 0, 0, 0, 0, 0, nullptr);
    const Vector n = cylinder.normalAt(Point(40, 30, 40));
    EXPECT_EQ(n.x, 0.6f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 0.8f);
    EXPECT_EQ(tube().normalAt(Point(50, 33.3333f, 0)).x, 1.0f);
    const Vector onAxis = cylinder.normalAt(Point(10, 20, 0));
    EXPECT_EQ(onAxis.x * onAxis.x + onAxis.y * onAxis.y + onAxis.z * onAxis.z, 0.0f);
}

TEST(Cylinder, WrapsTextureAroundAndDown) {
    struct Case {
        const char* name;
        Point point;  // on the wall
        int column;
        int row;
    };
    const Case cases[] = {
        {"top rim", {0, 50, 50}, 32, 0},       {"a third down", {0, 33.3333f, 50}, 32, 16},
        {"middle, back", {0, 0, -50}, 32, 18}, {"bottom rim", {0, -50, 50}, 32, 4},
        {"smallest x", {-50, 10, 0}, 0, 8},    {"largest x reads last column", {50, 10, 0}, 63, 8},
    };
    // Index u + 64 (v mod 4), so that neighbouring texels differ.
    std::vector<unsigned char> indices;
    for (int i = 0; i < 64 * 32; ++i) indices.push_back(static_cast<unsigned char>(i % 256));
    TempDir dir;
    const std::string texture = dir.write("t.pcx", indexedPicture(64, 32, indices).bytes());
    const Cylinder cylinder = tube(texture.c_str());
    ASSERT_TRUE(cylinder.textured);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(indexFromRed(cylinder.redAt(c.point)), c.column + 64 * (c.row % 4));
        EXPECT_EQ(cylinder.greenAt(c.point), cylinder.texture.greenAt(c.column, c.row));
        EXPECT_EQ(cylinder.blueAt(c.point), cylinder.texture.blueAt(c.column, c.row));
        EXPECT_EQ(tube().redAt(c.point), 0.25f);
    }
}

TEST(Cylinder, OnePixelHighTextureAlwaysReadsRowZero) {
    TempDir dir;
    const std::string texture = dir.write("t.pcx", indexedPicture(4, 1, {0, 1, 2, 3}).bytes());
    const Cylinder cylinder = tube(texture.c_str());
    for (const float y : {50.0f, 12.5f, 0.0f, -49.0f, -50.0f}) {
        EXPECT_EQ(indexFromRed(cylinder.redAt(Point(50, y, 0))), 3) << y;
        EXPECT_EQ(indexFromRed(cylinder.redAt(Point(0, y, 50))), 2) << y;
    }
}
