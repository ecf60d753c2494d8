#include "render/shape_index.h"

#include <gtest/gtest.h>

#include <cmath>

#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/scan_every_shape.h"
#include "support/seeded_draws.h"

namespace {

// Checks the index's answers for ray against testing every shape in order: the nearest hit, and
// the shadow query, true for the nearest shape only, whatever else the ray meets.
void expectAnswersLikeScan(const ShapeList& shapes, const ShapeIndex& index, const Ray& ray,
                           std::size_t other = 0) {
    const ShapeIndex::Hit expected = scanEveryShape(shapes, ray);
    ASSERT_TRUE(sameHit(index.nearest(ray), expected));
    if (expected.shape == nullptr) return;
    ASSERT_TRUE(index.nearestIs(ray, expected.position));
    other %= shapes.size();
    ASSERT_EQ(index.nearestIs(ray, other), other == expected.position);
}

std::unique_ptr<Shape> ball(const Point& c, float radius) {
    return std::make_unique<Sphere>(c.x, c.y, c.z, radius, 1, 1, 1, 0, 1, nullptr);
}

std::unique_ptr<Shape> tube(const Point& c, float radius, float height) {
    return std::make_unique<Cylinder>(c.x, c.y, c.z, radius, height, 1, 1, 1, 0, 1, nullptr);
}

}  // namespace

// Up to 300 balls (some inside out, some repeated so that the earlier must win the tie), tubes
// and a few planes at one scale, met by rays as the tracer sends them: from the eye, from a light
// toward a point on a ball, from a point on a ball outward, and grazing a ball's silhouette.
TEST(ShapeIndex, AnswersAsTestingEveryShapeInOrder) {
    for (const float scale : {1e-3f, 1.0f, 30.0f, 1000.0f, 1e6f}) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SeededDraws draw(seed);
            const auto anywhere = [&](float reach) {
                return Point(draw.uniform(-reach, reach) * scale,
                             draw.uniform(-reach, reach) * scale,
                             draw.uniform(-reach, reach) * scale);
            };
            const auto size = [&] { return draw.uniform(0, 0.2f) * scale; };
            ShapeList shapes;
            std::vector<std::pair<Point, float>> balls = {{Point(), 1.0f}};
            for (int i = 0, count = 1 + draw.pick(300); i < count; ++i) {
                const int kind = draw.pick(20);
                const Point at = anywhere(1);
                if (kind == 0) {
                    shapes.push_back(
                        std::make_unique<Plane>(at.x, 1, at.y, at.z, 1, 1, 1, 0, 1, nullptr));
                } else if (kind < 8) {
                    const float radius = size();
                    shapes.push_back(tube(at, radius, 4 * size() - radius));
                } else {
                    balls.push_back(kind == 1 ? balls[draw.pick(static_cast<int>(balls.size()))]
                                              : std::pair(at, kind == 8 ? -size() : size()));
                    shapes.push_back(ball(balls.back().first, balls.back().second));
                }
            }
            const ShapeIndex index(shapes);
            for (int i = 0; i < 3000; ++i) {
                SCOPED_TRACE(testing::Message()
                             << "scale " << scale << " seed " << seed << " ray " << i);
                const auto& [center, radius] = balls[draw.pick(static_cast<int>(balls.size()))];
                const Point target(center.x + radius * 0.9f,
                                   center.y + draw.uniform(-0.01f, 0.01f) * scale,
                                   center.z + radius * 0.3f);
                const Point rim(center.x + radius, center.y, center.z);
                const Point off = anywhere(1);
                const Ray rays[] = {Point(0, 0, 256).rayTo(target), target.rayFrom(anywhere(2)),
                                    Ray(target, off.x, off.y, off.z),
                                    Point(rim.x, rim.y + off.y, rim.z + 5 * scale).rayTo(rim)};
                expectAnswersLikeScan(shapes, index, rays[draw.pick(4)], i);
            }
        }
    }
}

// The rays that try the boxes' widening hardest: those the float hit test still reports as hits
// although they pass the shape by as much as its rounding allows. Balls and tubes are seen from
// near and far, and tubes also far from the scene origin, where their test rounds most.
TEST(ShapeIndex, LetsThroughTheOutermostRaysTheHitTestsReport) {
    std::mt19937 random(7);
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const auto logUniform = [&](double low, double high) {
        return std::exp(uniform(std::log(low), std::log(high)));
    };
    int outermostBeyondRim = 0;
    for (int trial = 0; trial < 600; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const bool tubes = trial % 2 == 1;
        const double radius = logUniform(0.01, 10.0);
        const double away = tubes && trial % 4 == 3 ? logUniform(1e3, 1e6) : uniform(-50.0, 50.0);
        const Point center(static_cast<float>(away), static_cast<float>(uniform(-50.0, 50.0)),
                           static_cast<float>(-away));
        const double reach = logUniform(3.0 * radius, 3e3);
        const double angle = uniform(0.0, 6.283185307179586);
        // Tubes are met across their wall, horizontally, balls from any side.
        const double rise = tubes ? 0.0 : uniform(-0.7, 0.7);
        const double flat = std::sqrt(1.0 - rise * rise);
        const double toward[3] = {std::cos(angle) * flat, rise, std::sin(angle) * flat};
        const Point origin(static_cast<float>(center.x - reach * toward[0]),
                           static_cast<float>(center.y - reach * toward[1]),
                           static_cast<float>(center.z - reach * toward[2]));
        // Sideways, across the ray, in the horizontal plane.
        const double side[3] = {-toward[2] / flat, 0.0, toward[0] / flat};

        ShapeList shapes;
        const auto add = [&](const Point& at, double r) {
            const auto radius = static_cast<float>(r);
            shapes.push_back(tubes ? tube(at, radius, 4 * radius) : ball(at, radius));
        };
        add(center, radius);
        for (int i = 0; i < 8; ++i) {
            add(Point(static_cast<float>(center.x + uniform(-30, 30) * radius),
                      static_cast<float>(center.y + uniform(-30, 30) * radius),
                      static_cast<float>(center.z + uniform(-30, 30) * radius)),
                radius * uniform(0.2, 1.0));
        }
        const ShapeIndex index(shapes);

        // The farthest miss past the rim that the float test still reports, over many tries.
        const double scale = reach + std::fabs(double{center.x}) + std::fabs(double{center.z});
        const double widest = 3e-5 * scale * scale / radius + 1e-3 * scale;
        const Shape& target = *shapes.front();
        double outermost = -1.0;
        for (int i = 0; i < 400; ++i) {
            const double past = widest * std::pow(uniform(0.0, 1.0), 3.0);
            const double rim = radius + past;
            const Point aim(static_cast<float>(center.x + rim * side[0]),
                            static_cast<float>(center.y + rim * side[1]),
                            static_cast<float>(center.z + rim * side[2]));
            const Ray ray = origin.rayTo(aim);
            Point point;
            float distance;
            if (!target.intersect(ray, point, distance) || past <= outermost) continue;
            outermost = past;
            expectAnswersLikeScan(shapes, index, ray);
            if (HasFatalFailure()) return;
        }
        if (outermost > 0.0) ++outermostBeyondRim;
    }
    // The search must have found reported hits that truly miss.
    EXPECT_GT(outermostBeyondRim, 100);
}
