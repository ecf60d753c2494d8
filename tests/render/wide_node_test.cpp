#include "render/wide_node.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/seeded_draws.h"

namespace {

// One box in lane 0 and nothing else, holding no tube.
WideNode oneBox(const float low[3], const float high[3]) {
    WideNode node{};
    node.laneCount = 1;
    for (int axis = 0; axis < 3; ++axis) {
        node.side[0][axis][0] = low[axis];
        node.side[1][axis][0] = high[axis];
    }
    node.rimFactor[0] = 1.0f;
    node.tubeReach[0] = wide_node::kNoTube;
    return node;
}

TEST(WideNode, RayAlongABoxFaceMeetsIt) {
    const float low[3] = {0, 0, 0};
    const float high[3] = {1, 1, 1};
    const WideNode node = oneBox(low, high);
    // Along x in the faces z = 0 and z = 1: the z slab, tested last, gives 0 × infinity on one
    // side, which must not shut the box.
    const struct {
        float z;
        unsigned met;
    } cases[] = {{0.0f, 1u}, {1.0f, 1u}, {-1e-3f, 0u}, {1.001f, 0u}};
    const float noWidening[WideNode::kLanes] = {};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "z " << c.z);
        const RayLanes ray(Ray(Point(-5, 0.5f, c.z), 1, 0, 0));
        float enter[WideNode::kLanes];
        EXPECT_EQ(wide_node::enterLanesScalar(node, ray, noWidening, 100, enter), c.met);
        EXPECT_TRUE(c.met == 0 || enter[0] == 5.0f);
#if defined(__SSE2__)
        EXPECT_EQ(wide_node::enterLanesSse(node, ray, _mm_setzero_ps(), 100, enter), c.met);
        EXPECT_TRUE(c.met == 0 || enter[0] == 5.0f);
#endif
    }
}

#if defined(__SSE2__)
// The SIMD path must answer bit for bit as the portable one, on boxes and rays of every scale,
// rays along the axes and from the boxes' faces, and lanes left empty.
TEST(WideNode, FourLanesAtOnceAnswerAsOneAtATime) {
    SeededDraws draw(11);
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const float scale = std::pow(10.0f, draw.uniform(-3, 6));
        WideNode node{};
        node.laneCount = static_cast<std::uint32_t>(1 + draw.pick(4));
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            for (int axis = 0; axis < 3; ++axis) {
                const float a = draw.uniform(-scale, scale);
                const float b = draw.uniform(-scale, scale);
                node.side[0][axis][lane] = std::min(a, b);
                node.side[1][axis][lane] = std::max(a, b);
            }
            const float radius = draw.pick(8) == 0 ? 0.0f : draw.uniform(0, scale);
            node.rimFactor[lane] = radius == 0.0f ? INFINITY : 2e-6f / radius;
            node.tubeReach[lane] =
                draw.pick(2) == 0 ? wide_node::kNoTube : draw.uniform(0, 3 * scale);
        }
        float origin[3];
        float direction[3];
        for (int axis = 0; axis < 3; ++axis) {
            // Some origins on a box's side, some directions exactly along an axis, either zero.
            origin[axis] = draw.pick(6) == 0 ? node.side[draw.pick(2)][axis][draw.pick(4)]
                                             : draw.uniform(-2 * scale, 2 * scale);
            direction[axis] =
                draw.pick(5) == 0 ? (draw.pick(2) == 0 ? 0.0f : -0.0f) : draw.uniform(-1, 1);
        }
        const RayLanes ray(
            Ray(Point(origin[0], origin[1], origin[2]), direction[0], direction[1], direction[2]));
        const float limit = draw.pick(4) == 0 ? 3.4028235e38f : draw.uniform(0, 4 * scale);
        float scalarEnter[WideNode::kLanes];
        float simdEnter[WideNode::kLanes];
        const unsigned scalar = wide_node::meetLanesScalar(node, ray, limit, scalarEnter);
        const unsigned simd = wide_node::meetLanes(node, ray, limit, simdEnter);
        ASSERT_EQ(simd, scalar);
        for (int lane = 0; lane < static_cast<int>(node.laneCount); ++lane) {
            ASSERT_EQ(std::memcmp(&simdEnter[lane], &scalarEnter[lane], sizeof(float)), 0);
        }
    }
}
#endif

}  // namespace
