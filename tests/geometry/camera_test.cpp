#include "geometry/camera.h"

#include <gtest/gtest.h>

#include "support/expect_geometry.h"

TEST(Camera, PrimaryRaysLeaveTheEyeThroughThePixel) {
    expectPoint(primaryRay(0, 0).origin, 0.0f, 0.0f, 256.0f);
    expectVector(primaryRay(0, 0).direction, 0.0f, 0.0f, -1.0f);
    expectVector(primaryRay(256, 0).direction, 0.70710677f, 0.0f, -0.70710677f);
    expectVector(primaryRay(0, -256).direction, 0.0f, -0.70710677f, -0.70710677f);
}

TEST(Camera, PrimaryDirectionsAreNormalisedOnce) {
    // Normalising a unit vector again moves many directions by one unit in the last place.
    for (int y = -120; y <= 120; y += 7) {
        for (int x = -160; x <= 160; x += 7) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << ", " << y);
            const Vector once(static_cast<float>(x), static_cast<float>(y), -256.0f);
            expectVector(primaryRay(static_cast<float>(x), static_cast<float>(y)).direction, once.x,
                         once.y, once.z);
        }
    }
}
