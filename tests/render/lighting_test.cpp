#include "render/lighting.h"

#include <gtest/gtest.h>

#include <array>

#include "scene/light.h"
#include "shapes/plane.h"

TEST(Lighting, WorkedExamples) {
    using Xyz = std::array<float, 3>;
    const auto xyz = [](const Vector& v) { return Xyz{v.x, v.y, v.z}; };
    const Plane floor(0, 1, 0, 0, 1, 1, 1, 0, 0, nullptr);  // y = 0, normal (0, 1, 0) everywhere
    const Point o;
    const float h = 0.7071068f;  // cosine of 45 degrees
    // The diffuse term is the cosine to the light, 0 in the tangent plane, behind the surface and
    // at the point itself.
    EXPECT_EQ(diffuseTerm(floor, o, Light({0, 10, 0}, 1, 1, 1)), 1.0f);
    for (const Point& light : {Point(10, 0, 0), Point(0, -10, 0), Point(0, 0, 0)}) {
        EXPECT_EQ(diffuseTerm(floor, o, Light(light, 1, 1, 1)), 0.0f) << light.x << ',' << light.y;
    }
    // A light's direction from behind is kept; a reflected ray is mirrored and starts 0.0001 off
    // the tangent plane, 0.00014142 along its direction.
    EXPECT_EQ(xyz(reflectDirection(floor, Vector(0, 1, 0), o)), (Xyz{0, 1, 0}));
    const auto ray = reflectedRay(floor, Ray(o, Vector(h, -h, 0)), o);
    ASSERT_TRUE(ray.has_value());
    EXPECT_EQ(xyz(ray->direction), (Xyz{h, h, 0}));
    EXPECT_NEAR(ray->origin.x, 0.0001, 1e-9);
    EXPECT_NEAR(ray->origin.y, 0.0001, 1e-9);
    // None where the cosine k is 0 (grazing, or from behind) or 0.0001 / k overflows a float.
    for (const Vector& direction : {Vector(1, 0, 0), Vector(0, 1, 0), Vector(1, -1e-43f, 0)}) {
        EXPECT_FALSE(reflectedRay(floor, Ray(o, direction), o).has_value()) << direction.y;
    }
}
