#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>

#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

// A ray and, if it hits, the distance, the hit point and the normal there; a miss must leave
// both out-parameters as they were.
using HitCase = std::tuple<const char*, Ray, bool, std::array<float, 7>>;

void expectHits(const Shape& shape, std::initializer_list<HitCase> cases) {
    for (const auto& [name, ray, hit, want] : cases) {
        Point p(-7, -7, -7);
        float t = -7;
        ASSERT_EQ(shape.intersect(ray, p, t), hit) << name;
        const Vector n = shape.normalAt(p);
        const float got[] = {t, p.x, p.y, p.z, n.x, n.y, n.z};
        for (int i = 0; i < (hit ? 7 : 4); ++i)
            EXPECT_NEAR(got[i], hit ? want[i] : -7, 1e-3f) << name << ", item " << i;
    }
}

}  // namespace

// The sphere centred at (10, 20, -100), radius 50; the plane 6y + 8z + 500 = 0, with unit normal
// (0, 0.6, 0.8) 50 from the origin; the tube centred at (10, 20, -30), radius 50, its wall spanning
// y = -30 to 70.
TEST(Shape, HitsOnlyAheadAtTheNearerRootWithinTheTubesHeight) {
    expectHits(
        Sphere(10, 20, -100, 50, 0, 0, 0, 0, 0, nullptr),
        {{"oblique", Ray({88, 80, 4}, -12, -15, -16), true, {100, 40, 20, -60, 0.6f, 0, 0.8f}},
         {"grazing", Ray({60, 20, 100}, 0, 0, -1), true, {200, 60, 20, -100, 1, 0, 0}},
         {"passing beside", Ray({60.5f, 20, 100}, 0, 0, -1), false, {}},
         {"origin inside", Ray({10, 20, -100}, 0, 0, -1), false, {}},
         {"wholly behind", Ray({10, 20, 100}, 0, 0, 1), false, {}}});
    expectHits(
        Plane(0, 6, 8, 500, 0, 0, 0, 0, 0, nullptr),
        {{"front face", Ray({0, 0, 0}, 0, 0, -1), true, {62.5f, 0, 0, -62.5f, 0, 0.6f, 0.8f}},
         {"back face", Ray({0, -60, -80}, 0, 3, 4), true, {50, 0, -30, -40, 0, 0.6f, 0.8f}},
         {"origin on it", Ray({7, -30, -40}, 0, -3, -4), true, {0, 7, -30, -40, 0, 0.6f, 0.8f}},
         {"moving away", Ray({0, 0, 0}, 0, 3, 4), false, {}},
         {"lying in it", Ray({0, -30, -40}, 1, 0, 0), false, {}}});
    const Point above(10, 120, -30);
    expectHits(
        Cylinder(10, 20, -30, 50, 100, 0, 0, 0, 0, 0, nullptr),
        {{"head on", Ray({40, 30, 226}, 0, 0, -1), true, {216, 40, 30, 10, 0.6f, 0, 0.8f}},
         {"top rim", Ray({10, 70, 226}, 0, 0, -1), true, {206, 10, 70, 20, 0, 0, 1}},
         {"bottom rim", Ray({10, -30, 226}, 0, 0, -1), true, {206, 10, -30, 20, 0, 0, 1}},
         {"through the open top", Ray(above, 3, -4, 0), true, {83.333f, 60, 53.333f, -30, 1, 0, 0}},
         {"grazing", Ray({60, 20, 226}, 0, 0, -1), true, {256, 60, 20, -30, 1, 0, 0}},
         {"above the top", Ray({10, 80, 226}, 0, 0, -1), false, {}},
         {"grazing above the top", Ray({60, 71, 226}, 0, 0, -1), false, {}},
         {"origin inside", Ray({10, 20, -30}, 1, 0, 0), false, {}},
         {"wholly behind", Ray({10, 20, 226}, 0, 0, 1), false, {}},
         {"parallel to the axis", Ray(above, 0, -1, 0), false, {}}});
}

// The sphere projects its texture along z: column 0 at the smallest x, row 0 at the smallest y.
// The cylinder's columns run across it in x, its rows one per unit down from the top rim,
// repeating every texture height. A plane keeps its plain colour whatever its texture.
TEST(Shape, ColourAtPointComesFromTexelOfItsMapping) {
    TempDir dir;
    const std::string texture = dir.write("32x8", PcxFile(32, 8).bytes());  // pixel k: index k
    const Sphere ball(10, 20, -100, 50, 0, 0, 0, 0, 0, texture.c_str());
    const Point p(50, -10, -100);  // normal (0.8, -0.6, 0)
    const auto& t = *ball.texture;
    EXPECT_EQ(std::tuple(ball.redAt(p), ball.greenAt(p), ball.blueAt(p)),
              std::tuple(t.redAt(28, 1), t.greenAt(28, 1), t.blueAt(28, 1)));
    EXPECT_EQ(ball.redAt(Point(60, 20, -100)), t.redAt(31, 4));  // n.x = 1
    EXPECT_EQ(ball.redAt(Point(10, 70, -100)), t.redAt(16, 7));  // n.y = 1
    const Cylinder tube(10, 20, -30, 50, 100, 0, 0, 0, 0, 0, texture.c_str());
    EXPECT_EQ(tube.redAt(Point(50, 66.5f, 0)), t.redAt(28, 3));  // 3.5 down
    EXPECT_EQ(tube.redAt(Point(-40, 20, -30)), t.redAt(0, 2));   // 50 down
    EXPECT_EQ(tube.redAt(Point(60, 29, -30)), t.redAt(31, 1));   // n.x = 1
    const Cylinder thin(10, 20, -30, 50, 100, 0, 0, 0, 0, 0,
                        dir.write("4x1", PcxFile(4, 1).bytes()).c_str());
    EXPECT_EQ(thin.redAt(Point(60, 17, -30)), thin.texture->redAt(3, 0));
    const Plane plane(0, 1, 0, 100, 0.25f, 0.5f, 0.75f, 0, 0, texture.c_str());
    ASSERT_TRUE(plane.textured);
    EXPECT_EQ(std::tuple(plane.redAt(p), plane.greenAt(p), plane.blueAt(p)),
              std::tuple(0.25f, 0.5f, 0.75f));
}
