// Micro-benchmarks of loading a scene: the whole reader with its echo, the number reading and
// printing that take most of it, and building the index over what was read.

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/field_scene.h"
#include "bench/scene_writers.h"
#include "render/shape_index.h"
#include "scene/console_echo.h"
#include "scene/scene_reader.h"
#include "scene/short_decimal.h"

namespace {

constexpr int kObjects = 100000;

// A field scene of kObjects in a temporary file, written once.
const std::string& sceneFile(FieldKind kind) {
    static const std::string names[] = {"orvane_bench_spheres.ray", "orvane_bench_mixed.ray"};
    static bool written[2] = {false, false};
    const int which = kind == FieldKind::spheres ? 0 : 1;
    if (!written[which]) {
        std::FILE* out = std::fopen(names[which].c_str(), "w");
        writeRayScene(out, makeFieldScene(kind, kObjects, 1));
        std::fclose(out);
        written[which] = true;
    }
    return names[which];
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
    const std::string& name = sceneFile(kind);
    std::FILE* console = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        std::vector<std::unique_ptr<Shape>> shapes;
        std::vector<Light> lights;
        SceneReader reader(name.c_str(), shapes, lights, console);
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
    SceneReader reader(sceneFile(kind).c_str(), shapes, lights, console);
    std::fclose(console);
    for (auto _ : state) {
        ShapeIndex index(shapes);
        benchmark::DoNotOptimize(&index);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}

void BM_BuildSpheresIndex(benchmark::State& state) { buildIndex(state, FieldKind::spheres); }
void BM_BuildMixedIndex(benchmark::State& state) { buildIndex(state, FieldKind::mixed); }

void BM_ShortDecimal(benchmark::State& state) {
    // The numbers as a scene file holds them, a blank after each, read one after the other.
    std::string text;
    for (const std::string& number : sceneNumbers()) text += number + ' ';
    const char* const last = text.data() + text.size();
    for (auto _ : state) {
        for (const char* next = text.data(); next < last;) {
            float value = 0.0f;
            const char* const end = readShortDecimal(next, last, value);
            next = (end != nullptr ? end : std::strchr(next, ' ')) + 1;
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(sceneNumbers().size()));
}

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
BENCHMARK(BM_ShortDecimal);
BENCHMARK(BM_FromChars);
BENCHMARK(BM_FormatNumber);

BENCHMARK_MAIN();
