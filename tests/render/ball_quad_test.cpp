#include "render/ball_quad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "support/seeded_draws.h"

namespace {

#if defined(__SSE2__)
// Four balls at once must give every hit and distance the ball's own test gives, bit for bit:
// grazing rays, origins inside and on the surface, tiny and huge scales, negative radii and NaN.
TEST(BallQuad, FourBallsAtOnceHitAsEachBallsOwnTest) {
    SeededDraws draw(5);
    int hits = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const float scale = std::pow(10.0f, draw.uniform(-4, 7));
        BallQuad quad{};
        const int count = 1 + draw.pick(4);
        const Point origin(draw.uniform(-scale, scale), draw.uniform(-scale, scale),
                           draw.uniform(-scale, scale));
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            // A lane without a ball has a NaN centre, and must never be hit.
            quad.centerX[lane] = lane < count ? draw.uniform(-scale, scale) : NAN;
            quad.centerY[lane] = draw.uniform(-scale, scale);
            quad.centerZ[lane] = draw.uniform(-scale, scale);
            quad.radius[lane] = draw.pick(10) == 0 ? NAN : draw.uniform(-0.1f, 1.0f) * scale;
        }
        // Aim at a ball's centre, its rim or its origin-side surface, or anywhere.
        const int lane = draw.pick(4);
        const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
        const float reach = quad.radius[lane] * (draw.pick(2) == 0 ? 1.0f : draw.uniform(0, 1.01f));
        const Point aim(center.x + (draw.pick(2) == 0 ? reach : 0.0f), center.y,
                        center.z + (draw.pick(3) == 0 ? draw.uniform(-scale, scale) : 0.0f));
        const Ray ray = draw.pick(8) == 0 ? Ray(aim, draw.uniform(-1, 1), draw.uniform(-1, 1),
                                                draw.uniform(-1, 1))
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
