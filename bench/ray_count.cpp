// Counts the rays a render of a scene traces, without shading any of them:
//   orvane_ray_count <sceneFile.ray> <XRes> <YRes> [-recurse n]
// prints "primary P shadow S reflected R total T". Every hit sends one shadow ray per light;
// a reflective hit sends one reflected ray while the depth allows, as the tracer does.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "geometry/camera.h"
#include "render/lighting.h"
#include "render/tracer.h"
#include "scene/scene_reader.h"
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
    if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "-recurse") == 0)) {
        std::fputs("usage: orvane_ray_count <sceneFile.ray> <XRes> <YRes> [-recurse n]\n", stderr);
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int maxDepth = argc == 6 ? std::max(0, std::atoi(argv[5])) : 0;

    LoadedScene scene;
    std::FILE* quiet = std::fopen("/dev/null", "w");
    if (quiet == nullptr) return 1;
    { SceneReader reader(argv[1], scene.shapes, scene.lights, quiet); }
    std::fclose(quiet);
    scene.index = ShapeIndex(scene.shapes);

    RayCounts counts;
    for (int row = 0, y = height / 2; row < height; ++row, --y) {
        for (int column = 0, x = -(width / 2); column < width; ++column, ++x) {
            ++counts.primary;
            follow(primaryRay(static_cast<float>(x), static_cast<float>(y)), scene, maxDepth, 0,
                   counts);
        }
    }
    std::printf("primary %lld shadow %lld reflected %lld total %lld\n", counts.primary,
                counts.shadow, counts.reflected, counts.primary + counts.shadow + counts.reflected);
    return 0;
}
