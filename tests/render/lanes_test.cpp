#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render/ball_quad.h"
#include "support/seeded_draws.h"

// Along x in the faces z = 0 and z = 1 of the unit box, the z slab, tested last, gives 0 × infinity
// on one side, which must not shut the box; just outside the faces the ray misses it.
TEST(WideNode, RayAlongABoxFaceMeetsIt) {
    const WideNode node{{{}, {{1}, {1}, {1}}}, {}, {}, {}, 1};  // the unit box in lane 0
    const float noWidening[WideNode::kLanes] = {};
    float enter[WideNode::kLanes];
    for (const float z : {0.0f, 1.0f, -1e-3f, 1.001f}) {
        const unsigned met = z == 0.0f || z == 1.0f ? 1 : 0;
        const RayLanes ray(Ray(Point(-5, 0.5f, z), 1, 0, 0));
        EXPECT_EQ(wide_node::enterLanesScalar(node, ray, noWidening, 100, enter), met) << z;
        EXPECT_TRUE(met == 0 || enter[0] == 5.0f);
#if defined(__SSE2__)
        EXPECT_EQ(wide_node::enterLanesSse(node, ray, _mm_setzero_ps(), 100, enter), met) << z;
#endif
    }
}

#if defined(__SSE2__)
// The SIMD paths answer bit for bit as the portable ones at every scale: for boxes on rays along
// the axes and from their faces, with lanes left empty; for balls on grazing rays, from inside and
// on the surface, with negative radii and NaN, and NaN centres in lanes without a ball.
TEST(WideNode, FourLanesAtOnceAnswerAsOneAtATimeForBoxesAndBalls) {
    SeededDraws draw{std::mt19937(11)};
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const float scale = std::pow(10.0f, draw.uniform(-4.0f, 7.0f));
        WideNode node{};
        node.laneCount = static_cast<std::uint32_t>(1 + draw.pick(4));
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            for (int axis = 0; axis < 3; ++axis) {
                node.side[0][axis][lane] = draw.uniform(-scale, scale);
                node.side[1][axis][lane] = node.side[0][axis][lane] + draw.uniform(0.0f, scale);
            }
            node.rimFactor[lane] = draw.pick(8) == 0 ? INFINITY : 2e-6f / draw.uniform(0.0f, scale);
            node.tubeReach[lane] =
                draw.pick(2) == 0 ? wide_node::kNoTube : draw.uniform(0.0f, 3 * scale);
        }
        // Some origins on a box's side, some directions exactly along an axis, either zero.
        float origin[3], direction[3];
        for (int axis = 0; axis < 3; ++axis) {
            origin[axis] = draw.pick(6) == 0 ? node.side[draw.pick(2)][axis][draw.pick(4)]
                                             : draw.uniform(-2 * scale, 2 * scale);
            direction[axis] =
                draw.pick(5) == 0 ? (draw.pick(2) == 0 ? 0.0f : -0.0f) : draw.uniform(-1.0f, 1.0f);
        }
        const Point from(origin[0], origin[1], origin[2]);
        const RayLanes ray(Ray(from, direction[0], direction[1], direction[2]));
        const float limit = draw.pick(4) == 0 ? 3.4028235e38f : draw.uniform(0.0f, 4 * scale);
        // Where each lane is entered or hit, as the SIMD path [0] and the scalar one [1] find it.
        float at[2][WideNode::kLanes];
        ASSERT_EQ(wide_node::meetLanes(node, ray, limit, at[0]),
                  wide_node::meetLanesScalar(node, ray, limit, at[1]));
        ASSERT_EQ(std::memcmp(at[0], at[1], node.laneCount * sizeof(float)), 0);
        BallQuad quad{};
        const int count = 1 + draw.pick(4);
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            quad.centerX[lane] = lane < count ? draw.uniform(-scale, scale) : NAN;
            quad.centerY[lane] = draw.uniform(-scale, scale);
            quad.centerZ[lane] = draw.uniform(-scale, scale);
            quad.radius[lane] = draw.pick(10) == 0 ? NAN : draw.uniform(-0.1f, 1.0f) * scale;
        }
        // Between the box ray's origin and a ball's centre, its rim, its near surface or anywhere.
        const int lane = draw.pick(4);
        const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
        const float reach =
            quad.radius[lane] * (draw.pick(2) == 0 ? 1.0f : draw.uniform(0.0f, 1.01f));
        const Point aim(center.x + (draw.pick(2) == 0 ? reach : 0.0f), center.y,
                        center.z + (draw.pick(3) == 0 ? draw.uniform(-scale, scale) : 0.0f));
        const Ray ballRay = draw.pick(8) == 0 ? aim.rayTo(from) : from.rayTo(aim);
        const unsigned scalar = ball_quad::hitsScalar(quad, ballRay, at[1]);
        ASSERT_EQ(ball_quad::hitsSse(quad, RayLanes(ballRay), at[0]), scalar);
        ASSERT_EQ(scalar >> count, 0u);
        for (int i = 0; i < WideNode::kLanes; ++i) {
            EXPECT_TRUE((scalar >> i & 1u) == 0 || std::memcmp(&at[0][i], &at[1][i], 4) == 0) << i;
        }
    }
}
#endif
