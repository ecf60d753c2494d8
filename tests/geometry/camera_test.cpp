#include "geometry/camera.h"

#include <gtest/gtest.h>

TEST(Camera, PrimaryRaysLeaveTheEyeThroughThePixel) {
    struct Case {
        float x;
        float y;
        float dx;
        float dy;
        float dz;
    };
    const Case cases[] = {
        {0, 0, 0.0f, 0.0f, -1.0f},
        {256, 0, 0.7071068f, 0.0f, -0.7071068f},
        {0, -256, 0.0f, -0.7071068f, -0.7071068f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel (" << c.x << ", " << c.y << ")");
        const Ray ray = primaryRay(c.x, c.y);
        EXPECT_EQ(ray.origin.x, 0.0f);
        EXPECT_EQ(ray.origin.y, 0.0f);
        EXPECT_EQ(ray.origin.z, 256.0f);
        EXPECT_FLOAT_EQ(ray.direction.x, c.dx);
        EXPECT_FLOAT_EQ(ray.direction.y, c.dy);
        EXPECT_FLOAT_EQ(ray.direction.z, c.dz);
    }
}

TEST(Camera, PrimaryDirectionsAreNormalisedOnce) {
    // Normalising a unit vector again moves many directions by one unit in the last place.
    for (int y = -120; y <= 120; y += 7) {
        for (int x = -160; x <= 160; x += 7) {
            const Ray ray = primaryRay(static_cast<float>(x), static_cast<float>(y));
            const Vector once(static_cast<float>(x), static_cast<float>(y), -256.0f);
            ASSERT_EQ(ray.direction.x, once.x) << x << ", " << y;
            ASSERT_EQ(ray.direction.y, once.y) << x << ", " << y;
            ASSERT_EQ(ray.direction.z, once.z) << x << ", " << y;
        }
    }
}
