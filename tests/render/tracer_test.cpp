#include "render/tracer.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <memory>
#include <utility>

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

std::unique_ptr<Shape> plane(float a, float b, float c, float d, Rgb color, float reflectivity,
                             float specularity) {
    return std::make_unique<Plane>(a, b, c, d, color[0], color[1], color[2], reflectivity,
                                   specularity, nullptr);
}

std::unique_ptr<Shape> floorPlane(Rgb color, float reflectivity = 0.0f, float specularity = 1.0f) {
    return plane(0.0f, 1.0f, 0.0f, 0.0f, color, reflectivity, specularity);
}

std::unique_ptr<Shape> sphere(Point center, float radius, Rgb color, float specularity) {
    return std::make_unique<Sphere>(center.x, center.y, center.z, radius, color[0], color[1],
                                    color[2], 0.0f, specularity, nullptr);
}

Light whiteLight(Point position) { return Light(position, 1.0f, 1.0f, 1.0f); }

// Straight down onto the floor y = 0, meeting it at exactly (0, 0, 0). The view direction there,
// (0, 0, 1), lies in the floor, so a light above it at z >= 0 gives no highlight: its mirror
// direction is at a right angle or more to the view.
const Ray kDown(Point(0.0f, 5.0f, 0.0f), Vector(0.0f, -1.0f, 0.0f));

}  // namespace

TEST(Tracer, NearestHitTieKeepsEarlierShape) {
    ShapeList shapes = shapeList(floorPlane({1, 0, 0}), floorPlane({0, 1, 0}));
    Point hit(7.0f, 7.0f, 7.0f);
    EXPECT_EQ(nearestHit(kDown, shapes, hit), shapes[0].get());
    EXPECT_EQ(hit.y, 0.0f);
    std::swap(shapes[0], shapes[1]);
    EXPECT_EQ(nearestHit(kDown, shapes, hit), shapes[0].get());
    // A miss leaves the point as it was.
    hit = Point(7.0f, 7.0f, 7.0f);
    EXPECT_EQ(nearestHit(Ray(Point(0.0f, 5.0f, 0.0f), Vector(0.0f, 1.0f, 0.0f)), shapes, hit),
              nullptr);
    EXPECT_EQ(hit.y, 7.0f);
}

TEST(Tracer, ShadowTestTieKeepsEarlierShape) {
    // Two coincident floors: the light ray meets both at the hit point, and the first one, which
    // is also the one seen, must count as reached.
    const ShapeList shapes = shapeList(floorPlane({1, 0, 0}), floorPlane({0, 1, 0}));
    const LightList lights = {whiteLight({0.0f, 10.0f, 10.0f})};
    const float d = diffuseTerm(*shapes[0], Point(), lights[0]);
    ASSERT_GT(d, 0.0f);
    EXPECT_EQ(rgb(trace(kDown, shapes, lights, 0)), (Rgb{d, 0.0f, 0.0f}));
}

TEST(Tracer, LitSphereCentreIsWhite) {
    const ShapeList shapes = shapeList(sphere({0, 0, 0}, 50.0f, {1.0f, 0.5f, 0.0f}, 20.0f));
    const LightList lights = {whiteLight({0.0f, 0.0f, 256.0f})};
    EXPECT_EQ(rgb(trace(primaryRay(0.0f, 0.0f), shapes, lights, 0)), (Rgb{1, 1, 1}));
}

TEST(Tracer, AnotherShapeBetweenLightAndPointCastsShadow) {
    // The light stands off to the side; the blocker sits halfway along its ray to (0, 0, 50) but
    // off the line of sight.
    const LightList lights = {whiteLight({100.0f, 0.0f, 150.0f})};
    const auto ball = [] { return sphere({0, 0, 0}, 50.0f, {1, 1, 1}, 1.0f); };
    const auto blocker = [] { return sphere({50, 0, 100}, 10.0f, {1, 1, 1}, 1.0f); };
    const Ray centre = primaryRay(0.0f, 0.0f);

    EXPECT_GT(trace(centre, shapeList(ball()), lights, 0).red, 0.0f);
    EXPECT_EQ(rgb(trace(centre, shapeList(ball(), blocker()), lights, 0)), (Rgb{0, 0, 0}));
}

TEST(Tracer, LightBehindSphereStillAddsItsColour) {
    // The red light shines on the back of the ball, so it reaches the front point (0, 0, 50)
    // with no diffuse part; the blue light makes the diffuse sum positive, which the red light's
    // colour is then scaled by.
    const ShapeList shapes = shapeList(sphere({0, 0, 0}, 50.0f, {1, 1, 1}, 20.0f));
    const Light behind(Point(0.0f, 0.0f, -256.0f), 1.0f, 0.0f, 0.0f);
    const Light front(Point(0.0f, 100.0f, 150.0f), 0.0f, 0.0f, 1.0f);
    const Ray centre = primaryRay(0.0f, 0.0f);
    Point p;
    ASSERT_NE(nearestHit(centre, shapes, p), nullptr);
    ASSERT_EQ(diffuseTerm(*shapes[0], p, behind), 0.0f);
    const float d = diffuseTerm(*shapes[0], p, front);

    const Color frontOnly = trace(centre, shapes, {front}, 0);
    const Color both = trace(centre, shapes, {behind, front}, 0);
    EXPECT_EQ(both.red, d + frontOnly.red);
    EXPECT_EQ(both.green, frontOnly.green);
    EXPECT_EQ(both.blue, frontOnly.blue);
}

TEST(Tracer, SumsLightsThenClampsAboveOneOnly) {
    const Light above = whiteLight({0.0f, 10.0f, 0.0f});    // diffuse term 1
    const Light aslant = whiteLight({0.0f, 10.0f, 10.0f});  // diffuse term about 0.707
    const float d = diffuseTerm(*floorPlane({0, 0, 0}), Point(), aslant);
    struct Case {
        const char* name;
        Rgb color;
        float specularity;
        LightList lights;
        Rgb expected;
    };
    // No mirror direction meets the eye (cosine 0), yet 0 to the power 0 is still 1.
    const Case cases[] = {
        {"diffuse and light sums held at 1",
         {0.25f, 0.5f, 1},
         1,
         {above, aslant},
         {0.25f, 0.5f, 1}},
        {"specularity 0 whitens", {0, 0, 0}, 0, {aslant}, {d, d, d}},
        {"specularity 1 adds nothing", {0, 0, 0}, 1, {aslant}, {0, 0, 0}},
        {"no lower clamp", {-0.5f, 2, 0.5f}, 1, {above}, {-0.5f, 1, 0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ShapeList shapes = shapeList(floorPlane(c.color, 0.0f, c.specularity));
        EXPECT_EQ(rgb(trace(kDown, shapes, c.lights, 0)), c.expected);
    }
}

TEST(Tracer, RendersBlackWithoutShapesOrLights) {
    EXPECT_EQ(rgb(trace(kDown, {}, {whiteLight({0, 10, 0})}, 3)), (Rgb{0, 0, 0}));
    EXPECT_EQ(rgb(trace(kDown, shapeList(floorPlane({1, 1, 1}, 0.5f)), {}, 3)), (Rgb{0, 0, 0}));
}

namespace {

// A red floor y = 0 and a green ceiling y = 10, both half mirrors, with a white light between
// them straight above the point kDown meets. Every hit on the vertical bounce has diffuse term 1
// and shows its own colour in full; the pin-point highlights (exponent 1e9) stay 0 because no
// mirror direction points anywhere near the eye.
ShapeList mirrorPair(float floorReflectivity, bool withCeiling = true) {
    ShapeList shapes = shapeList(floorPlane({0.5f, 0, 0}, floorReflectivity, 1e9f));
    if (withCeiling) shapes.push_back(plane(0, -1, 0, 10, {0, 0.5f, 0}, 0.5f, 1e9f));
    return shapes;
}

const LightList kBetweenMirrors = {whiteLight({0.0f, 5.0f, 0.0f})};

}  // namespace

TEST(Tracer, ReflectionChainHoldsAtMostMaxDepthRays) {
    // floor(n) = (0.5, 0, 0) + 0.5 ceiling(n - 1), ceiling(n) = (0, 0.5, 0) + 0.5 floor(n - 1),
    // each with n = 0 being the own colour alone.
    struct Case {
        int maxDepth;
        Rgb expected;
    };
    const Case cases[] = {
        {0, {0.5f, 0, 0}},
        {1, {0.5f, 0.25f, 0}},
        {2, {0.625f, 0.25f, 0}},
        {3, {0.625f, 0.3125f, 0}},
    };
    const ShapeList shapes = mirrorPair(0.5f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxDepth);
        EXPECT_EQ(rgb(trace(kDown, shapes, kBetweenMirrors, c.maxDepth)), c.expected);
    }
}

TEST(Tracer, FollowsNoMoreThanDepthCapWhateverIsAsked) {
    const ShapeList shapes = mirrorPair(0.5f);
    EXPECT_EQ(rgb(trace(kDown, shapes, kBetweenMirrors, INT_MAX)),
              rgb(trace(kDown, shapes, kBetweenMirrors, kMaxReflectionDepth)));
}

TEST(Tracer, AddsNoReflectionWhenNoneIsTracedOrItMeetsNothing) {
    struct Case {
        const char* name;
        float floorReflectivity;
        bool withCeiling;
    };
    const Case cases[] = {
        {"reflectivity 0", 0.0f, true},
        {"negative reflectivity", -0.5f, true},
        {"reflected ray meets nothing", 0.5f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ShapeList shapes = mirrorPair(c.floorReflectivity, c.withCeiling);
        EXPECT_EQ(rgb(trace(kDown, shapes, kBetweenMirrors, 5)), (Rgb{0.5f, 0, 0}));
    }
}
