#include "render/lighting.h"

#include <gtest/gtest.h>

#include <array>

#include "scene/light.h"
#include "shapes/plane.h"

namespace {

// The plane y = 0, normal (0, 1, 0) wherever it is asked.
const Plane kFloor(0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, nullptr);
const Point kOrigin;

using Xyz = std::array<float, 3>;
Xyz xyz(const Vector& v) { return {v.x, v.y, v.z}; }
Xyz xyz(const Point& p) { return {p.x, p.y, p.z}; }

}  // namespace

TEST(Lighting, DiffuseTermIsClampedCosineToLight) {
    struct Case {
        const char* name;
        Point light;
        float expected;
    };
    const Case cases[] = {
        {"along the normal", {0.0f, 10.0f, 0.0f}, 1.0f},
        {"in the tangent plane", {10.0f, 0.0f, 0.0f}, 0.0f},
        {"behind the surface", {0.0f, -10.0f, 0.0f}, 0.0f},
        {"exactly at the point", {0.0f, 0.0f, 0.0f}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(diffuseTerm(kFloor, kOrigin, Light(c.light, 1.0f, 1.0f, 1.0f)), c.expected);
    }
}

TEST(Lighting, ReflectDirectionMirrorsLightInFront) {
    const Vector r = reflectDirection(kFloor, Vector(0.7071068f, -0.7071068f, 0.0f), kOrigin);
    EXPECT_EQ(xyz(r), (Xyz{0.7071068f, 0.7071068f, 0.0f}));
}

TEST(Lighting, ReflectDirectionKeepsIncidentFromBehind) {
    const Vector r = reflectDirection(kFloor, Vector(0.0f, 1.0f, 0.0f), kOrigin);
    EXPECT_EQ(xyz(r), (Xyz{0.0f, 1.0f, 0.0f}));
}

TEST(Lighting, ReflectedRayStraightBackIsLiftedAlongNormal) {
    const auto ray = reflectedRay(kFloor, Ray(kOrigin, Vector(0.0f, -1.0f, 0.0f)), kOrigin);
    ASSERT_TRUE(ray.has_value());
    EXPECT_EQ(xyz(ray->direction), (Xyz{0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(xyz(ray->origin), (Xyz{0.0f, 0.0001f, 0.0f}));
}

TEST(Lighting, ReflectedRayAtFortyFiveDegreesLiftsOffTangentPlane) {
    const Ray incoming(kOrigin, Vector(0.7071068f, -0.7071068f, 0.0f));
    const auto ray = reflectedRay(kFloor, incoming, kOrigin);
    ASSERT_TRUE(ray.has_value());
    EXPECT_EQ(xyz(ray->direction), (Xyz{0.7071068f, 0.7071068f, 0.0f}));
    // Moved about 0.00014142 along the mirror direction.
    EXPECT_NEAR(ray->origin.x, 0.0001, 1e-9);
    EXPECT_NEAR(ray->origin.y, 0.0001, 1e-9);
    EXPECT_EQ(ray->origin.z, 0.0f);
}

TEST(Lighting, ReflectedRayIsNoneWhereLiftWouldBeInfinite) {
    struct Case {
        const char* name;
        Vector direction;
    };
    // The floor's normal is fixed, so a ray rising through it meets it from behind. A cosine of
    // 1e-43 is not 0, yet 0.0001 / 1e-43 overflows a float.
    const Case cases[] = {
        {"grazing", Vector(1.0f, 0.0f, 0.0f)},
        {"from behind", Vector(0.0f, 1.0f, 0.0f)},
        {"cosine below the float range of the lift", Vector(1.0f, -1e-43f, 0.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(reflectedRay(kFloor, Ray(kOrigin, c.direction), kOrigin).has_value());
    }
}
