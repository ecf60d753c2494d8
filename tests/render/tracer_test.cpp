#include "render/tracer.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>

#include "geometry/camera.h"
#include "render/lighting.h"
#include "scene/light.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

using Rgb = std::array<float, 3>;
Rgb rgb(const Color& c) { return {c.red, c.green, c.blue}; }

template <typename... Shapes>
ShapeList shapeList(Shapes... shapes) {
    ShapeList list;
    (list.push_back(std::move(shapes)), ...);
    return list;
}

// Colour c, reflectivity r, specularity s: the floor y = 0, or with b = -1, d = 10 the ceiling.
std::unique_ptr<Shape> plane(Rgb c, float r = 0, float s = 1, float b = 1, float d = 0) {
    return std::make_unique<Plane>(0, b, 0, d, c[0], c[1], c[2], r, s, nullptr);
}

std::unique_ptr<Shape> sphere(Point o, float radius, Rgb c, float s) {
    return std::make_unique<Sphere>(o.x, o.y, o.z, radius, c[0], c[1], c[2], 0, s, nullptr);
}

// A red floor reflecting r and a cyan half-mirror ceiling; the exponent 1e9 keeps highlights 0.
ShapeList mirrors(float r) {
    return shapeList(plane({0.5f, 0, 0}, r, 1e9f), plane({0, 0.5f, 0.5f}, 0.5f, 1e9f, -1, 10));
}

}  // namespace

TEST(Tracer, WorkedExamples) {
    // down meets the floor at (0, 0, 0), where the view direction (0, 0, 1) lies in the floor:
    // lights above it at z >= 0 give no highlight, though 0 to the power 0 is 1.
    const Ray down(Point(0, 5, 0), Vector(0, -1, 0));
    const Light above({0, 10, 0}, 1, 1, 1);    // diffuse term 1
    const Light aslant({0, 10, 10}, 1, 1, 1);  // diffuse term d, about 0.707
    const float d = lightTerms(Vector(0, 1, 0), Point().rayFrom(aslant.position).direction).diffuse;
    const Light atEye({0, 0, 256}, 1, 1, 1);
    // A red light below the floor adds its colour, scaled by the diffuse term of a blue one above.
    const LightList belowAndAbove = {Light({0, -10, 0}, 1, 0, 0), Light({0, 10, 0}, 0, 0, 1)};
    // Lit from midway, every hit on the bounce between the mirrors has diffuse term 1. To depth n:
    // floor(n) = (0.5, 0, 0) + 0.5 ceiling(n - 1)
    // ceiling(n) = (0, 0.5, 0.5) + 0.5 floor(n - 1)
    const LightList midway = {Light({0, 5, 0}, 1, 1, 1)};
    struct Case {
        int depth;
        Ray ray;
        ShapeList shapes;
        LightList lights;
        Rgb expected;
    };
    const Case cases[] = {
        {0, down, shapeList(plane({1, 0, 0}), plane({0, 1, 0})), {aslant}, {d, 0, 0}},  // tie
        {0, primaryRay(0, 0), shapeList(sphere({}, 50, {1, 0.5f, 0}, 20)), {atEye}, {1, 1, 1}},
        {0, down, shapeList(plane({1, 1, 1}), sphere({0, 8, 0}, 1, {}, 1)), {above}, {}},  // shadow
        {0, down, shapeList(plane({1, 1, 1})), belowAndAbove, {1, 0, 1}},
        {0, down, shapeList(plane({0.25f, 0.5f, 1})), {above, aslant}, {0.25f, 0.5f, 1}},
        {0, down, shapeList(plane({}, 0, 0)), {aslant}, {d, d, d}},  // specularity 0 whitens
        {0, down, shapeList(plane({-0.5f, 2, 0.5f})), {above}, {-0.5f, 1, 0.5f}},  // no lower clamp
        {0, down, mirrors(0.5f), midway, {0.5f, 0, 0}},
        {1, down, mirrors(0.5f), midway, {0.5f, 0.25f, 0.25f}},
        {3, down, mirrors(0.5f), midway, {0.625f, 0.3125f, 0.3125f}},
        {INT_MAX, down, mirrors(0.5f), midway,
         rgb(trace(down, ShapeIndex(mirrors(0.5f)), midway, 1000))},
        {5, down, mirrors(-0.5f), midway, {0.5f, 0, 0}},
        // A floor that reflects nothing never looks: not even at a ceiling of NaN colour.
        {5,
         down,
         shapeList(plane({0.5f, 0, 0}, 0, 1e9f), plane(Rgb{NAN, NAN, NAN}, 0, 1e9f, -1, 10)),
         midway,
         {0.5f, 0, 0}},
    };
    for (const auto& [depth, ray, shapes, lights, expected] : cases) {
        EXPECT_EQ(rgb(trace(ray, ShapeIndex(shapes), lights, depth)), expected) << depth;
    }
    // Off the axis, the highlight lies where the light's mirror image meets the eye at z = 256.
    const ShapeList wall = shapeList(plane({}, 0, 1e6f, 1, 200));
    const float seen =
        trace(primaryRay(0, -200), ShapeIndex(wall), {Light({0, 0, -256}, 1, 1, 1)}, 0).red;
    EXPECT_NEAR(seen, 200 / std::hypot(200.0f, 256.0f), 1e-4f);
}

TEST(Lighting, WorkedExamples) {
    const Vector up(0, 1, 0);  // the floor y = 0
    const Point o;
    const float h = 0.7071068f;  // cosine of 45 degrees
    // The diffuse term is 0 for a light in the tangent plane or at the point itself.
    EXPECT_EQ(lightTerms(up, Point(10, 0, 0).directionTo(o)).diffuse, 0.0f);
    EXPECT_EQ(lightTerms(up, o.directionTo(o)).diffuse, 0.0f);
    // Mirrored about the normal, and the incident direction itself from behind.
    const Vector mirror = lightTerms(up, Vector(h, -h, 0)).mirror;
    EXPECT_EQ((Rgb{mirror.x, mirror.y, mirror.z}), (Rgb{h, h, 0}));
    const Vector behind = lightTerms(up, Vector(0, 1, 0)).mirror;
    EXPECT_EQ((Rgb{behind.x, behind.y, behind.z}), (Rgb{0, 1, 0}));
    // A reflected ray is mirrored and starts 0.0001 off the tangent plane, 0.00014142 along it.
    const auto ray = reflectedRay(up, Ray(o, Vector(h, -h, 0)), o);
    ASSERT_TRUE(ray.has_value());
    EXPECT_EQ((Rgb{ray->direction.x, ray->direction.y, ray->direction.z}), (Rgb{h, h, 0}));
    EXPECT_NEAR(ray->origin.x, 0.0001, 1e-9);
    EXPECT_NEAR(ray->origin.y, 0.0001, 1e-9);
    // None where the cosine k is 0 (grazing, or from behind) or 0.0001 / k overflows a float.
    for (const Vector& direction : {Vector(1, 0, 0), Vector(0, 1, 0), Vector(1, -1e-43f, 0)}) {
        EXPECT_FALSE(reflectedRay(up, Ray(o, direction), o).has_value()) << direction.y;
    }
}
