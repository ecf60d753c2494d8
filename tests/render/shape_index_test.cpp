#include "render/shape_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "render/mixed_quad.h"
#include "support/scan_every_shape.h"

namespace {

// Seeded draws, so that every run tries the same cases.
struct SeededDraws {
    std::mt19937 random;

    template <typename Real>
    Real uniform(Real low, Real high) {
        return std::uniform_real_distribution<Real>(low, high)(random);
    }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
};

}  // namespace

// Up to 300 balls (some inside out, some twice: the earlier wins), tubes and planes at one scale,
// met by rays from the eye, from a light, from a surface outward and grazing a silhouette.
TEST(ShapeIndex, AnswersAsTestingEveryShapeInOrder) {
    const float scales[] = {1e-3f, 1.0f, 30.0f, 1000.0f, 1e6f};
    for (int run = 0; run < 60; ++run) {
        const float scale = scales[run / 12];
        SeededDraws draw{std::mt19937(run % 12 + 1)};
        const auto anywhere = [&](float reach) {
            return Point(draw.uniform(-reach, reach) * scale, draw.uniform(-reach, reach) * scale,
                         draw.uniform(-reach, reach) * scale);
        };
        ShapeList shapes;
        std::vector<std::pair<Point, float>> placed = {{Point(), 1.0f}};
        for (int i = 0, count = 1 + draw.pick(300); i < count; ++i) {
            const int kind = draw.pick(20);
            const float size = draw.uniform(0.0f, 0.2f) * scale;
            placed.push_back(kind == 8 ? placed[draw.pick(static_cast<int>(placed.size()))]
                                       : std::pair(anywhere(1), kind == 9 ? -size : size));
            const auto& [at, radius] = placed.back();
            const float height = 4 * draw.uniform(0.0f, 0.2f) * scale - radius;
            shapes.push_back(kind == 0
                                 ? plainShape(2, at.x, 1, at.y, at.z, 0)
                                 : plainShape(kind < 8 ? 1 : 0, at.x, at.y, at.z, radius, height));
        }
        const ShapeIndex index(shapes);
        for (int i = 0; i < 3000; ++i) {
            SCOPED_TRACE(testing::Message() << "run " << run << " ray " << i);
            const auto& [center, radius] = placed[draw.pick(static_cast<int>(placed.size()))];
            const Point target(center.x + radius * 0.9f,
                               center.y + draw.uniform(-0.01f, 0.01f) * scale,
                               center.z + radius * 0.3f);
            const Point rim(center.x + radius, center.y, center.z);
            const Point off = anywhere(1);
            const Ray rays[] = {Point(0, 0, 256).rayTo(target), target.rayFrom(anywhere(2)),
                                Ray(target, off.x, off.y, off.z),
                                Point(rim.x, rim.y + off.y, rim.z + 5 * scale).rayTo(rim)};
            const std::size_t other = i % shapes.size();
            ASSERT_STREQ(unlikeScan(shapes, index, rays[draw.pick(4)], other, other + 1), nullptr);
        }
    }
}

// The outermost rays the float hit tests still report, from near and far, and tubes far out, where
// their test rounds most: these try the boxes' widening hardest.
TEST(ShapeIndex, LetsThroughTheOutermostRaysTheHitTestsReport) {
    SeededDraws draw{std::mt19937(7)};
    int reported = 0;
    for (int trial = 0; trial < 600; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const bool tubes = trial % 2 == 1;
        const double radius = std::pow(10.0, draw.uniform(-2.0, 1.0));
        const double away = tubes && trial % 4 == 3 ? std::pow(10.0, draw.uniform(3.0, 6.0))
                                                    : draw.uniform(-50.0, 50.0);
        const Point center(away, draw.uniform(-50.0, 50.0), -away);
        const double angle = draw.uniform(0.0, 6.283185307179586);
        // Tubes are met horizontally across their wall, balls from any side.
        const double rise = tubes ? 0.0 : draw.uniform(-0.7, 0.7);
        const double flat = std::sqrt(1.0 - rise * rise);
        ShapeList shapes;
        // The target at the centre, and enough no larger shapes around it that boxes hold boxes.
        for (int i = 0; i < 40; ++i) {
            const double spread = i == 0 ? 0.0 : 30 * radius;
            const Point at(center.x + draw.uniform(-spread, spread),
                           center.y + draw.uniform(-spread, spread),
                           center.z + draw.uniform(-spread, spread));
            const double size = radius * (i == 0 ? 1.0 : draw.uniform(0.2, 1.0));
            shapes.push_back(plainShape(tubes ? 1 : 0, at.x, at.y, at.z, size, 4 * size));
        }
        const ShapeIndex index(shapes);
        for (int i = 0; i < 400; ++i) {
            // From a new distance each time, aimed past the rim as far as the float test may
            // report.
            const double reach = 3 * radius * std::pow(1e3 / radius, draw.uniform(0.0, 1.0));
            const Point origin(center.x - reach * flat * std::cos(angle), center.y - reach * rise,
                               center.z - reach * flat * std::sin(angle));
            const double scale = reach + std::fabs(double{center.x}) + std::fabs(double{center.z});
            const double widest = 3e-5 * scale * scale / radius + 1e-3 * scale;
            const double rim = radius + widest * std::pow(draw.uniform(0.0, 1.0), 3.0);
            const Ray ray = origin.rayTo(Point(center.x - rim * std::sin(angle), center.y,
                                               center.z + rim * std::cos(angle)));
            ShapeIndex::Hit met;
            reported += shapes[0]->intersect(ray, met.point, met.distance);
            ASSERT_STREQ(unlikeScan(shapes, index, ray, 0, shapes.size()), nullptr);
        }
    }
    EXPECT_GT(reported, 20000);  // so the search does go past the rims
}

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
// the axes and from their faces, with lanes left empty; for balls and tubes on grazing rays, from
// inside and on the surface, through tubes' ends and along their axes, with negative sizes and
// NaN, and NaN centres in lanes without a shape.
TEST(WideNode, FourLanesAtOnceAnswerAsOneAtATimeForBoxesBallsAndTubes) {
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
        }
        node.rimFactor = draw.pick(8) == 0 ? INFINITY : 2e-6f / draw.uniform(0.0f, scale);
        const bool tube = draw.pick(2) == 0;
        for (float& reach : node.tubeReach) {
            reach = tube ? draw.uniform(0.0f, 2 * scale) : wide_node::kNoTube;
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
        MixedQuad quad{};
        std::memcpy(&quad, node.side[0], sizeof node.side[0]);  // centred on the boxes' low corners
        quad.tubes = draw.pick(16) & ((1u << node.laneCount) - 1);
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            quad.radius[lane] = draw.pick(10) == 0 ? NAN : draw.uniform(-0.1f, 1.0f) * scale;
            quad.height[lane] = draw.pick(10) == 0 ? NAN : draw.uniform(-0.1f, 2.0f) * scale;
            if (lane >= static_cast<int>(node.laneCount)) quad.centerX[lane] = NAN;  // no shape
        }
        // Toward a centre, a rim, a tube's end or anywhere; along a tube's axis; or level with
        // an end, which belongs to the wall.
        const int lane = draw.pick(4);
        const Point center(quad.centerX[lane], quad.centerY[lane], quad.centerZ[lane]);
        const float reach =
            quad.radius[lane] * (draw.pick(2) == 0 ? 1.0f : draw.uniform(0.0f, 1.01f));
        const float rise =
            quad.height[lane] * (draw.pick(2) == 0 ? 0.5f : draw.uniform(-1.0f, 1.0f));
        const float end = center.y + (draw.pick(2) == 0 ? 0.5f : -0.5f) * quad.height[lane];
        const int way = draw.pick(10);
        const Point start = way == 1 ? Point(from.x, end, from.z) : from;
        const Point aim =
            way == 0   ? Point(from.x, center.y, from.z)
            : way == 1 ? Point(center.x + reach, end, center.z)
                       : Point(center.x + (draw.pick(2) == 0 ? reach : 0.0f),
                               center.y + (draw.pick(2) == 0 ? rise : 0.0f),
                               center.z + (draw.pick(3) == 0 ? draw.uniform(-scale, scale) : 0.0f));
        const Ray shapeRay = draw.pick(8) == 0 ? aim.rayTo(start) : start.rayTo(aim);
        const unsigned scalar = mixed_quad::hitsScalar(quad, shapeRay, at[1]);
        ASSERT_EQ(mixed_quad::hits(quad, shapeRay, RayLanes(shapeRay), at[0]), scalar);
        ASSERT_EQ(scalar >> node.laneCount, 0u);
        for (int i = 0; i < WideNode::kLanes; ++i)
            EXPECT_TRUE((scalar >> i & 1u) == 0 || std::memcmp(&at[0][i], &at[1][i], 4) == 0) << i;
    }
}
#endif
