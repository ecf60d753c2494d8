#include "render/shape_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

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

// The lane counts this processor searches with: every one must answer alike.
std::vector<int> laneCounts() {
    return ShapeIndex::widestLanes() == 8 ? std::vector<int>{4, 8} : std::vector<int>{4};
}

}  // namespace

// Up to 300 balls (some inside out, some twice: the earlier wins), tubes and planes at one scale,
// met by rays from the eye, from a light, from a surface outward, grazing a silhouette, and
// through a tube's open end or along its axis, with every lane count.
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
        const std::mt19937 rays = draw.random;
        for (const int lanes : laneCounts()) {
            const ShapeIndex index(shapes, lanes);
            const ShapeIndex copy(index);  // as a second thread searches, on every other ray
            draw.random = rays;            // the same rays for every lane count
            for (int i = 0; i < 2000; ++i) {
                SCOPED_TRACE(testing::Message()
                             << "run " << run << " ray " << i << " lanes " << lanes);
                const auto& [center, radius] = placed[draw.pick(static_cast<int>(placed.size()))];
                const Point target(center.x + radius * 0.9f,
                                   center.y + draw.uniform(-0.01f, 0.01f) * scale,
                                   center.z + radius * 0.3f);
                const Point rim(center.x + radius, center.y, center.z);
                const Point off = anywhere(1);
                const Ray tries[] = {Point(0, 0, 256).rayTo(target),
                                     target.rayFrom(anywhere(2)),
                                     Ray(target, off.x, off.y, off.z),
                                     Point(rim.x, rim.y + off.y, rim.z + 5 * scale).rayTo(rim),
                                     Point(center.x, center.y + 3 * scale, center.z).rayTo(center),
                                     Point(off.x, center.y + radius, off.z).rayTo(rim)};
                const std::size_t other = i % shapes.size();
                ASSERT_STREQ(unlikeScan(shapes, i % 2 == 0 ? index : copy, tries[draw.pick(6)],
                                        other, other + 1),
                             nullptr);
            }
        }
    }
}

// The outermost rays the float hit tests still report, from near and far, and tubes far out, where
// their test rounds most: these try the boxes' widening hardest, with every lane count.
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
        const ShapeIndex index(shapes, laneCounts()[trial / 2 % laneCounts().size()]);
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
