#include "render/shape_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/scan_every_shape.h"

namespace {

// Checks the index's answers for ray against testing every shape in order.
void expectAnswersLikeScan(const ShapeList& shapes, const ShapeIndex& index, const Ray& ray) {
    const ShapeIndex::Hit expected = scanEveryShape(shapes, ray);
    const ShapeIndex::Hit actual = index.nearest(ray);
    ASSERT_TRUE(sameHit(actual, expected));
    ASSERT_TRUE(expected.shape == nullptr || index.nearestIs(ray, expected.position));
}

class RandomScene {
public:
    RandomScene(unsigned seed, float scale) : random_(seed), scale_(scale) {
        const int count = std::uniform_int_distribution<int>(1, 300)(random_);
        for (int i = 0; i < count; ++i) add();
    }

    const ShapeList& shapes() const { return shapes_; }

    // Rays as the tracer sends them: from the eye, from a light toward a point on a shape, from a
    // point on a shape outward, and grazing a shape's silhouette.
    Ray ray() {
        const Point target = pointNear();
        switch (std::uniform_int_distribution<int>(0, spheres_.empty() ? 2 : 3)(random_)) {
            case 0:
                return Point(0, 0, 256).rayTo(target);
            case 1:
                return target.rayFrom(Point(coordinate(2), coordinate(2), coordinate(2)));
            case 2:
                return Ray(target, coordinate(1), coordinate(1), coordinate(1));
            default: {
                const auto& [center, radius] = spheres_[pick(spheres_.size())];
                const Point rim(center.x + radius, center.y, center.z);
                return Point(rim.x, rim.y + coordinate(1), rim.z + 5 * scale_).rayTo(rim);
            }
        }
    }

private:
    float coordinate(float reach) {
        return std::uniform_real_distribution<float>(-reach * scale_, reach * scale_)(random_);
    }
    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
    }
    float size() { return std::uniform_real_distribution<float>(0.0f, 0.2f * scale_)(random_); }

    void add() {
        const int kind = std::uniform_int_distribution<int>(0, 19)(random_);
        if (kind == 0) {
            shapes_.push_back(std::make_unique<Plane>(coordinate(1), 1, coordinate(1),
                                                      coordinate(1), 1, 1, 1, 0, 1, nullptr));
        } else if (kind == 1 && !spheres_.empty()) {
            // The same ball again: the earlier one must win every tie.
            const auto& [center, radius] = spheres_[pick(spheres_.size())];
            addSphere(center, radius);
        } else if (kind < 8) {
            const float radius = size();
            shapes_.push_back(std::make_unique<Cylinder>(coordinate(1), coordinate(1),
                                                         coordinate(1), radius, 4 * size() - radius,
                                                         1, 1, 1, 0, 1, nullptr));
        } else {
            addSphere(Point(coordinate(1), coordinate(1), coordinate(1)),
                      kind == 8 ? -size() : size());
        }
    }

    void addSphere(const Point& center, float radius) {
        shapes_.push_back(
            std::make_unique<Sphere>(center.x, center.y, center.z, radius, 1, 1, 1, 0, 1, nullptr));
        spheres_.push_back({center, radius});
    }

    Point pointNear() {
        const auto& [center, radius] =
            spheres_.empty() ? std::pair(Point(), 1.0f) : spheres_[pick(spheres_.size())];
        return Point(center.x + radius * 0.9f, center.y + coordinate(0.01f),
                     center.z + radius * 0.3f);
    }

    std::mt19937 random_;
    float scale_;
    ShapeList shapes_;
    std::vector<std::pair<Point, float>> spheres_;
};

TEST(ShapeIndex, AnswersAsTestingEveryShapeInOrder) {
    for (const float scale : {1e-3f, 1.0f, 30.0f, 1000.0f, 1e6f}) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            RandomScene scene(seed, scale);
            const ShapeIndex index(scene.shapes());
            for (int i = 0; i < 3000; ++i) {
                const Ray ray = scene.ray();
                const ShapeIndex::Hit expected = scanEveryShape(scene.shapes(), ray);
                SCOPED_TRACE(testing::Message()
                             << "scale " << scale << " seed " << seed << " ray " << i);
                expectAnswersLikeScan(scene.shapes(), index, ray);
                if (expected.shape == nullptr) continue;
                // The shadow query: true for the nearest shape only, whatever else the ray meets.
                const std::size_t other = (expected.position + 1 + i) % scene.shapes().size();
                ASSERT_EQ(index.nearestIs(ray, other), other == expected.position);
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
        const bool tube = trial % 2 == 1;
        const double radius = logUniform(0.01, 10.0);
        const double away = tube && trial % 4 == 3 ? logUniform(1e3, 1e6) : uniform(-50.0, 50.0);
        const Point center(static_cast<float>(away), static_cast<float>(uniform(-50.0, 50.0)),
                           static_cast<float>(-away));
        const double reach = logUniform(3.0 * radius, 3e3);
        const double angle = uniform(0.0, 6.283185307179586);
        // Tubes are met across their wall, horizontally, balls from any side.
        const double rise = tube ? 0.0 : uniform(-0.7, 0.7);
        const double flat = std::sqrt(1.0 - rise * rise);
        const double toward[3] = {std::cos(angle) * flat, rise, std::sin(angle) * flat};
        const Point origin(static_cast<float>(center.x - reach * toward[0]),
                           static_cast<float>(center.y - reach * toward[1]),
                           static_cast<float>(center.z - reach * toward[2]));
        // Sideways, across the ray, in the horizontal plane.
        const double side[3] = {-toward[2] / flat, 0.0, toward[0] / flat};

        ShapeList shapes;
        const auto add = [&](const Point& at, double r) {
            if (tube) {
                shapes.push_back(std::make_unique<Cylinder>(at.x, at.y, at.z, static_cast<float>(r),
                                                            static_cast<float>(4 * r), 1, 1, 1, 0,
                                                            1, nullptr));
            } else {
                shapes.push_back(std::make_unique<Sphere>(at.x, at.y, at.z, static_cast<float>(r),
                                                          1, 1, 1, 0, 1, nullptr));
            }
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

}  // namespace
