#include "render/round_quad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "shapes/cylinder.h"
#include "shapes/sphere.h"

namespace {

// A lane the pre-test rules out must be a miss for the shape's own test, and the SIMD pre-test must
// rule out exactly what the portable one does: grazing rays, origins inside, tiny and huge scales,
// negative radii and NaN.
TEST(RoundQuad, RulesOutOnlyWhatTheShapesOwnTestsMiss) {
    std::mt19937 random(7);
    const auto uniform = [&](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto pick = [&](int count) {
        return std::uniform_int_distribution<int>(0, count - 1)(random);
    };
    int ruledOut = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const float scale = std::pow(10.0f, uniform(-4, 7));
        RoundQuad quad{};
        float height[WideNode::kLanes];
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            quad.centerX[lane] = uniform(-scale, scale);
            quad.centerY[lane] = uniform(-scale, scale);
            quad.centerZ[lane] = uniform(-scale, scale);
            quad.radius[lane] = pick(10) == 0 ? NAN : uniform(-0.1f, 1.0f) * scale;
            quad.tube[lane] = pick(2) == 0 ? ~0u : 0u;
            height[lane] = uniform(0, 2 * scale);
        }
        // Aim near a shape's rim, or anywhere.
        const int aimed = pick(4);
        const Point aim(quad.centerX[aimed] + quad.radius[aimed] * uniform(0.9f, 1.1f),
                        quad.centerY[aimed], quad.centerZ[aimed]);
        const Point origin(uniform(-scale, scale), uniform(-scale, scale), uniform(-scale, scale));
        const Ray ray = pick(8) == 0 ? Ray(aim, uniform(-1, 1), uniform(-1, 1), uniform(-1, 1))
                                     : origin.rayTo(aim);
        const unsigned may = round_quad::mayHitScalar(quad, ray);
#if defined(__SSE2__)
        ASSERT_EQ(round_quad::mayHitSse(quad, RayLanes(ray)), may);
#endif
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            if ((may >> lane & 1u) != 0) continue;
            ++ruledOut;
            const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
            Point point;
            float distance;
            ASSERT_FALSE(quad.tube[lane] != 0
                             ? intersectTube(center, quad.radius[lane], height[lane], ray, point,
                                             distance)
                             : intersectBall(center, quad.radius[lane], ray, point, distance))
                << "lane " << lane;
        }
    }
    EXPECT_GT(ruledOut, 20000);
}

}  // namespace
