// Micro-benchmarks of the three hit tests, hits and misses, and of trace on a small scene.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "geometry/camera.h"
#include "render/tracer.h"
#include "scene/light.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

void measureHitTest(benchmark::State& state, const Shape& shape, Ray ray) {
    for (auto _ : state) {
        Point hitPoint;
        float t = 0.0f;
        // The ray counts as changed every time, so the test cannot be folded away.
        benchmark::DoNotOptimize(ray);
        benchmark::DoNotOptimize(shape.intersect(ray, hitPoint, t));
        benchmark::DoNotOptimize(hitPoint);
        benchmark::DoNotOptimize(t);
    }
}

const Point kEye(0.0f, 0.0f, 256.0f);

const Sphere kSphere(0, 0, 0, 50, 1, 0.5f, 0, 0, 20, nullptr);
const Plane kPlane(0, 1, 0, 100, 0.5f, 0.5f, 0.5f, 0, 20, nullptr);
const Cylinder kCylinder(0, 0, 0, 50, 100, 0, 0.5f, 1, 0, 20, nullptr);

void BM_SphereHit(benchmark::State& state) { measureHitTest(state, kSphere, Ray(kEye, 0, 0, -1)); }
void BM_SphereMiss(benchmark::State& state) {
    measureHitTest(state, kSphere, Ray(kEye, 0.5f, 0, -1));
}
void BM_PlaneHit(benchmark::State& state) {
    measureHitTest(state, kPlane, Ray(kEye, 0, -0.6f, -0.8f));
}
void BM_PlaneMiss(benchmark::State& state) {
    measureHitTest(state, kPlane, Ray(kEye, 0, 0.6f, -0.8f));
}
void BM_CylinderHit(benchmark::State& state) {
    measureHitTest(state, kCylinder, Ray(kEye, 0, 0, -1));
}
void BM_CylinderMiss(benchmark::State& state) {
    measureHitTest(state, kCylinder, Ray(kEye, 0.5f, 0, -1));
}
// Both roots exist but lie above the tube: the longest way to a miss.
void BM_CylinderMissAboveTop(benchmark::State& state) {
    measureHitTest(state, kCylinder, Ray(Point(0, 60, 256), 0, 0, -1));
}

BENCHMARK(BM_SphereHit);
BENCHMARK(BM_SphereMiss);
BENCHMARK(BM_PlaneHit);
BENCHMARK(BM_PlaneMiss);
BENCHMARK(BM_CylinderHit);
BENCHMARK(BM_CylinderMiss);
BENCHMARK(BM_CylinderMissAboveTop);

// A floor, three spheres (one a mirror), a tube and two lights.
ShapeList smallSceneShapes() {
    ShapeList shapes;
    shapes.push_back(std::make_unique<Plane>(0, 1, 0, 120, 0.55f, 0.55f, 0.6f, 0.3f, 40, nullptr));
    shapes.push_back(std::make_unique<Sphere>(-130, -40, -120, 80, 1, 0.3f, 0.2f, 0, 25, nullptr));
    shapes.push_back(
        std::make_unique<Sphere>(60, -60, -40, 60, 0.9f, 0.9f, 0.9f, 0.6f, 60, nullptr));
    shapes.push_back(std::make_unique<Sphere>(200, 40, -250, 70, 0.2f, 0.4f, 1, 0.2f, 15, nullptr));
    shapes.push_back(
        std::make_unique<Cylinder>(-20, -40, -300, 40, 160, 0.3f, 0.9f, 0.3f, 0, 30, nullptr));
    return shapes;
}

struct SmallScene {
    ShapeList shapes = smallSceneShapes();
    LightList lights{{250, 350, 350, 0.9f, 0.9f, 0.85f}, {-300, 200, 100, 0.4f, 0.4f, 0.5f}};
    ShapeIndex index{shapes};
};

// The one place that knows how trace is called.
Color traceInScene(const Ray& ray, const SmallScene& scene) {
    return trace(ray, scene.index, scene.lights, 2);
}

// One primary ray every 20 pixels over a 640 × 480 picture.
void BM_TraceSmallScene(benchmark::State& state) {
    const SmallScene scene;
    std::vector<Ray> rays;
    for (int y = 230; y > -240; y -= 20) {
        for (int x = -310; x < 320; x += 20) {
            rays.push_back(primaryRay(static_cast<float>(x), static_cast<float>(y)));
        }
    }
    for (auto _ : state) {
        for (const Ray& ray : rays) benchmark::DoNotOptimize(traceInScene(ray, scene));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rays.size()));
}
BENCHMARK(BM_TraceSmallScene);

}  // namespace

BENCHMARK_MAIN();
