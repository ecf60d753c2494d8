#include "shapes/shape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

// The smallest concrete shape, for what the base alone does.
class Blank : public Shape {
public:
    using Shape::Shape;
    bool intersect(const Ray&, Point&, float&) const override { return false; }
    Vector normalAt(const Point&) const override { return Vector(0, 0, 1); }
};

}  // namespace

TEST(Shape, StoresMaterialUnchanged) {
    const Blank shape(1.5f, -0.2f, 0.25f, 2.0f, -3.0f, nullptr);
    EXPECT_FALSE(shape.textured);
    EXPECT_EQ(shape.redAt(Point(1, 2, 3)), 1.5f);
    EXPECT_EQ(shape.greenAt(Point()), -0.2f);
    EXPECT_EQ(shape.blueAt(Point()), 0.25f);
    EXPECT_EQ(shape.reflectivity, 2.0f);
    EXPECT_EQ(shape.specularity, -3.0f);
}

TEST(Shape, HalvesTextureSizeTowardZero) {
    const int cases[][4] = {{5, 3, 2, 1}, {1, 1, 0, 0}, {64, 32, 32, 16}};
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c[0]) + " x " + std::to_string(c[1]));
        const std::string name = dir.write("t.pcx", indexedPicture(c[0], c[1], {}).bytes());
        const Blank shape(0, 0, 0, 0, 0, name.c_str());
        EXPECT_TRUE(shape.textured);
        EXPECT_EQ(shape.halfWidth, c[2]);
        EXPECT_EQ(shape.halfHeight, c[3]);
    }
}

TEST(Shape, UnloadableTextureLeavesShapeUntexturedAndSilent) {
    TempDir dir;
    PcxFile version3 = indexedPicture(2, 2, {1, 2, 3, 4});
    version3.version = 3;
    for (const std::string& name :
         {dir.path("none.pcx"), dir.path(""), dir.write("v3.pcx", version3.bytes())}) {
        SCOPED_TRACE(name);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const Blank shape(0.5f, 0.25f, 0.125f, 0, 0, name.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_FALSE(shape.textured);
        EXPECT_EQ(shape.redAt(Point()), 0.5f);
    }
}

TEST(Shape, TruncateToIntSaturatesAndMapsNanToZero) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    const float infinity = std::numeric_limits<float>::infinity();
    const std::pair<float, int> cases[] = {
        {1.9f, 1},
        {-1.9f, -1},
        {-0.5f, 0},
        {2147483520.0f, 2147483520},
        {2147483648.0f, kMax},
        {-2147483648.0f, kMin},
        {infinity, kMax},
        {-infinity, kMin},
        {std::nanf(""), 0},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(truncateToInt(value), expected) << value;
}
