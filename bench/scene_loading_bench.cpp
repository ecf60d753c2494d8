// Micro-benchmarks of loading a scene: the whole reader with its echo, the number reading and
// printing that take most of it, and building the index over what was read.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/field_scene.h"
#include "bench/scene_writers.h"
#include "render/shape_index.h"
#include "scene/console_echo.h"
#include "scene/scene_reader.h"

namespace {

constexpr int kObjects = 100000;

// A field scene of kObjects in a file of its own in the temporary folder, removed at exit.
class SceneFile {
public:
    explicit SceneFile(FieldKind kind)
        : path_((std::filesystem::temp_directory_path() / "orvane_bench_XXXXXX").string()) {
        std::FILE* out = fdopen(mkstemp(path_.data()), "w");
        if (out == nullptr) throw std::runtime_error("cannot write a scene file to " + path_);
        writeRayScene(out, makeFieldScene(kind, kObjects, 1));
        std::fclose(out);
    }
    ~SceneFile() { std::remove(path_.c_str()); }
    SceneFile(const SceneFile&) = delete;
    SceneFile& operator=(const SceneFile&) = delete;

    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

const char* sceneFile(FieldKind kind) {
    if (kind == FieldKind::spheres) {
        static const SceneFile spheres(kind);
        return spheres.path();
    }
    static const SceneFile mixed(kind);
    return mixed.path();
}

// The numbers of a field scene, as its file spells them.
const std::vector<std::string>& sceneNumbers() {
    static const std::vector<std::string> numbers = [] {
        std::vector<std::string> spelled;
        for (const FieldScene::Object& o : makeFieldScene(FieldKind::mixed, 1000, 1).objects) {
            for (const float value : {o.x, o.y, o.z, o.radius, o.height, o.material.red,
                                      o.material.reflectivity, o.material.specularity}) {
                char text[32];
                std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
                spelled.emplace_back(text);
            }
        }
        return spelled;
    }();
    return numbers;
}

std::vector<float> sceneValues() {
    std::vector<float> values;
    for (const std::string& number : sceneNumbers()) values.push_back(std::stof(number));
    return values;
}

void readScene(benchmark::State& state, FieldKind kind) {
    const char* const scene = sceneFile(kind);
    std::FILE* console = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        std::vector<std::unique_ptr<Shape>> shapes;
        std::vector<Light> lights;
        SceneReader reader(scene, shapes, lights, console);
        benchmark::DoNotOptimize(shapes.data());
    }
    std::fclose(console);
    state.SetItemsProcessed(state.iterations() * kObjects);
}

void BM_ReadSpheres(benchmark::State& state) { readScene(state, FieldKind::spheres); }
void BM_ReadMixed(benchmark::State& state) { readScene(state, FieldKind::mixed); }

// The index over a field scene read once: the part of loading that is not reading.
void buildIndex(benchmark::State& state, FieldKind kind) {
    std::FILE* console = std::fopen("/dev/null", "w");
    std::vector<std::unique_ptr<Shape>> shapes;
    std::vector<Light> lights;
    SceneReader reader(sceneFile(kind), shapes, lights, console);
    std::fclose(console);
    for (auto _ : state) {
        ShapeIndex index(shapes);
        benchmark::DoNotOptimize(&index);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}

void BM_BuildSpheresIndex(benchmark::State& state) { buildIndex(state, FieldKind::spheres); }
void BM_BuildMixedIndex(benchmark::State& state) { buildIndex(state, FieldKind::mixed); }

void BM_FromChars(benchmark::State& state) {
    const auto& numbers = sceneNumbers();
    for (auto _ : state) {
        for (const std::string& number : numbers) {
            float value = 0.0f;
            std::from_chars(number.data(), number.data() + number.size(), value);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(numbers.size()));
}

void BM_FormatNumber(benchmark::State& state) {
    const std::vector<float> values = sceneValues();
    char text[kMaxNumberText];
    for (auto _ : state) {
        for (const float value : values) {
            benchmark::DoNotOptimize(formatNumber(text, text + sizeof text, value));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}

}  // namespace

BENCHMARK(BM_ReadSpheres)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMixed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildSpheresIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildMixedIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FromChars);
BENCHMARK(BM_FormatNumber);

BENCHMARK_MAIN();
