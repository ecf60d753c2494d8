// Counts the rays a render of a scene traces, without shading any of them:
//   orvane_ray_count <sceneFile.ray> <XRes> <YRes> [-recurse n]
// prints "primary P shadow S reflected R total T". Every hit sends one shadow ray per light;
// a reflective hit sends one reflected ray while the depth allows, as the tracer does.

#include <algorithm>
#include <cstdio>

#include "bench/render_job.h"
#include "render/lighting.h"
#include "scene/light.h"
#include "shapes/shape.h"

namespace {

struct RayCounts {
    long long primary = 0;
    long long shadow = 0;
    long long reflected = 0;
};

struct LoadedScene {
    ShapeList shapes;
    LightList lights;
    ShapeIndex index{shapes};
};

void follow(const Ray& ray, const LoadedScene& scene, int maxDepth, int reflectionLevel,
            RayCounts& counts) {
    const ShapeIndex::Hit nearest = scene.index.nearest(ray);
    const Shape* hit = nearest.shape;
    if (hit == nullptr) return;
    counts.shadow += static_cast<long long>(scene.lights.size());
    if (hit->reflectivity > 0.0f && reflectionLevel < std::min(maxDepth, kMaxReflectionDepth)) {
        if (const auto bounce = reflectedRay(*hit, ray, nearest.point)) {
            ++counts.reflected;
            follow(*bounce, scene, maxDepth, reflectionLevel + 1, counts);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<RenderJob> job = readRenderJob(argc, argv, "orvane_ray_count");
    if (!job) return 2;
    LoadedScene scene;
    if (!loadSilently(job->sceneFile, scene.shapes, scene.lights)) return 1;
    scene.index = ShapeIndex(scene.shapes);

    RayCounts counts;
    forEachPrimaryRay(job->width, job->height, [&](const Ray& ray) {
        ++counts.primary;
        follow(ray, scene, job->maxDepth, 0, counts);
    });
    std::printf("primary %lld shadow %lld reflected %lld total %lld\n", counts.primary,
                counts.shadow, counts.reflected, counts.primary + counts.shadow + counts.reflected);
    return 0;
}
