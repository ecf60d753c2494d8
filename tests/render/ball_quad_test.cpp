#include "render/ball_quad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

#if defined(__SSE2__)
// Four balls at once must give every hit and distance the ball's own test gives, bit for bit:
// grazing rays, origins inside and on the surface, tiny and huge scales, negative radii and NaN.
TEST(BallQuad, FourBallsAtOnceHitAsEachBallsOwnTest) {
    std::mt19937 random(5);
    const auto uniform = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto pick = [&](int count) {
        return std::uniform_int_distribution<int>(0, count - 1)(random);
    };
    int hits = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const float scale = std::pow(10.0f, uniform(-4, 7));
        BallQuad quad{};
        const int count = 1 + pick(4);
        const Point origin(uniform(-scale, scale), uniform(-scale, scale), uniform(-scale, scale));
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            // A lane without a ball has a NaN centre, and must never be hit.
            quad.centerX[lane] = lane < count ? uniform(-scale, scale) : NAN;
            quad.centerY[lane] = uniform(-scale, scale);
            quad.centerZ[lane] = uniform(-scale, scale);
            quad.radius[lane] = pick(10) == 0 ? NAN : uniform(-0.1f, 1.0f) * scale;
        }
        // Aim at a ball's centre, its rim or its origin-side surface, or anywhere.
        const int lane = pick(4);
        const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
        const float reach = quad.radius[lane] * (pick(2) == 0 ? 1.0f : uniform(0, 1.01f));
        const Point aim(center.x + (pick(2) == 0 ? reach : 0.0f), center.y,
                        center.z + (pick(3) == 0 ? uniform(-scale, scale) : 0.0f));
        const Ray ray = pick(8) == 0 ? Ray(aim, uniform(-1, 1), uniform(-1, 1), uniform(-1, 1))
                                     : origin.rayTo(aim);
        float expected[WideNode::kLanes];
        float actual[WideNode::kLanes];
        const unsigned scalar = ball_quad::hitsScalar(quad, ray, expected);
        ASSERT_EQ(ball_quad::hitsSse(quad, RayLanes(ray), actual), scalar);
        ASSERT_EQ(scalar >> count, 0u);
        for (int i = 0; i < WideNode::kLanes; ++i) {
            if ((scalar >> i & 1u) == 0) continue;
            ++hits;
            ASSERT_EQ(std::memcmp(&actual[i], &expected[i], sizeof(float)), 0) << "lane " << i;
        }
    }
    EXPECT_GT(hits, 5000);
}
#endif

}  // namespace
