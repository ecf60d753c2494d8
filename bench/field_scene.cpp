#include "bench/field_scene.h"

#include <algorithm>
#include <cmath>

#include "bench/random_stream.h"

namespace {

constexpr double kEyeZ = 256.0;
constexpr double kHalfViewWidth = 320.0;  // at the picture plane z = 0
constexpr double kHalfViewHeight = 240.0;
constexpr double kFloorY = -200.0;
constexpr double kFarthestZ = -256.0;  // twice as far from the eye as the picture plane

// Sizes shrink like 1/sqrt(N) so the field covers the view about the same at every N: roughly
// twice over, dense at N = 100000 yet a few pixels per object at the front.
constexpr double kSizeAtOneObject = 600.0;
constexpr double kLargestSize = 120.0;

FieldScene::Material randomMaterial(RandomStream& random) {
    FieldScene::Material m;
    m.red = static_cast<float>(random.uniform(0.15, 1.0));
    m.green = static_cast<float>(random.uniform(0.15, 1.0));
    m.blue = static_cast<float>(random.uniform(0.15, 1.0));
    // Some matte objects, the rest mirrors of varied strength.
    const double mirrorChoice = random.uniform(0.0, 1.0);
    const double strength = random.uniform(0.1, 0.7);
    m.reflectivity = mirrorChoice < 0.4 ? 0.0f : static_cast<float>(strength);
    m.specularity = static_cast<float>(std::round(random.uniform(5.0, 60.0)));
    return m;
}

FieldScene::Object randomObject(RandomStream& random, bool cylinder, double size) {
    FieldScene::Object o;
    o.cylinder = cylinder;
    if (cylinder) {
        o.radius = static_cast<float>(size * random.uniform(0.35, 0.75));
        o.height = static_cast<float>(o.radius * random.uniform(2.0, 5.0));
    } else {
        o.radius = static_cast<float>(size * random.uniform(0.5, 1.5));
        o.height = 0.0f;
    }
    o.z = static_cast<float>(random.uniform(kFarthestZ, 0.0));
    // What the view shows grows with the distance from the eye.
    const double scale = (kEyeZ - o.z) / kEyeZ;
    o.x = static_cast<float>(random.uniform(-kHalfViewWidth * scale, kHalfViewWidth * scale));
    const double lowest = kFloorY + (cylinder ? o.height * 0.5 : o.radius);
    const double highest = std::max(lowest, kHalfViewHeight * scale);
    o.y = static_cast<float>(random.uniform(lowest, highest));
    o.material = randomMaterial(random);
    return o;
}

}  // namespace

FieldScene makeFieldScene(FieldKind kind, int count, std::uint64_t seed) {
    RandomStream random(seed);
    FieldScene scene;
    scene.floor = {
        0.0f, 1.0f, 0.0f, static_cast<float>(-kFloorY), {0.55f, 0.55f, 0.6f, 0.25f, 30.0f}};

    const double size = std::min(kLargestSize, kSizeAtOneObject / std::sqrt(std::max(count, 1)));
    scene.objects.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const bool cylinder = kind == FieldKind::mixed && random.uniform(0.0, 1.0) < 0.5;
        scene.objects.push_back(randomObject(random, cylinder, size));
    }

    if (kind == FieldKind::spheres) {
        scene.lamps = {{-300.0f, 500.0f, 400.0f, 0.8f, 0.8f, 0.8f},
                       {400.0f, 300.0f, 200.0f, 0.6f, 0.6f, 0.6f}};
    } else {
        scene.lamps = {{-400.0f, 450.0f, 300.0f, 0.9f, 0.3f, 0.3f},
                       {0.0f, 600.0f, 350.0f, 0.3f, 0.9f, 0.3f},
                       {450.0f, 400.0f, 250.0f, 0.3f, 0.3f, 0.9f}};
    }
    return scene;
}
