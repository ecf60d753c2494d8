#include "bench/scene_writers.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene_reader.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

// Everything the writer puts out, as text.
template <typename Write>
std::string written(Write write) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    write(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

FieldScene::Material matte() { return {1.0f, 0.5f, 0.25f, 0.0f, 20.0f}; }

}  // namespace

TEST(FieldScene, SameSeedSameSceneAndEveryObjectAboveTheFloorInView) {
    const auto text = [](FieldKind kind, std::uint64_t seed) {
        return written([&](std::FILE* out) { writeRayScene(out, makeFieldScene(kind, 50, seed)); });
    };
    EXPECT_EQ(text(FieldKind::mixed, 3), text(FieldKind::mixed, 3));
    EXPECT_NE(text(FieldKind::mixed, 3), text(FieldKind::mixed, 4));

    for (const std::uint64_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        const FieldScene scene = makeFieldScene(FieldKind::mixed, 500, seed);
        const float floorY = -scene.floor.d;
        for (const FieldScene::Object& o : scene.objects) {
            const float bottom = o.cylinder ? o.y - o.height * 0.5f : o.y - o.radius;
            EXPECT_GE(bottom, floorY - 0.001f);
            EXPECT_LE(o.z, 0.0f);
            EXPECT_LE(std::abs(o.x), 320.0f * (256.0f - o.z) / 256.0f);
        }
    }
}

TEST(FieldScene, RayFileLoadsEveryNumberAsGenerated) {
    for (const FieldKind kind : {FieldKind::spheres, FieldKind::mixed}) {
        const FieldScene scene = makeFieldScene(kind, 40, 9);
        const std::string text = written([&](std::FILE* out) { writeRayScene(out, scene); });
        char path[] = "/tmp/orvane_field_XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        std::FILE* file = fdopen(fd, "w");
        std::fputs(text.c_str(), file);
        std::fclose(file);

        std::vector<std::unique_ptr<Shape>> shapes;
        std::vector<Light> lights;
        std::FILE* console = std::tmpfile();
        { SceneReader reader(path, shapes, lights, console); }
        std::fclose(console);
        std::remove(path);

        ASSERT_EQ(shapes.size(), scene.objects.size() + 1);
        ASSERT_EQ(lights.size(), scene.lamps.size());
        EXPECT_EQ(dynamic_cast<const Plane&>(*shapes[0]).d, scene.floor.d);
        for (std::size_t i = 0; i < scene.objects.size(); ++i) {
            const FieldScene::Object& o = scene.objects[i];
            const Shape& shape = *shapes[i + 1];
            const Point center = o.cylinder ? dynamic_cast<const Cylinder&>(shape).center
                                            : dynamic_cast<const Sphere&>(shape).center;
            EXPECT_EQ(center.x, o.x);
            EXPECT_EQ(center.y, o.y);
            EXPECT_EQ(center.z, o.z);
            EXPECT_EQ(shape.reflectivity, o.material.reflectivity);
        }
        EXPECT_EQ(lights.back().color.blue, scene.lamps.back().blue);
    }
}

TEST(PovScene, MirrorsZAndTurnsPlanesIntoUnitNormalAndDistance) {
    struct Case {
        const char* name;
        FieldScene scene;
        const char* expected;
    };
    const Case cases[] = {
        {"plane y = -50 with a long normal",
         {{0, 2, 0, 100, matte()}, {}, {}},
         "plane{<0,1,0>,-50 pigment{rgb<1,0.5,0.25>} finish{ambient 0 diffuse 1 phong 1 "
         "phong_size 20}}"},
        {"plane z = -10 faces the eye", {{0, 0, 1, 10, matte()}, {}, {}}, "plane{<0,0,-1>,-10 "},
        {"sphere behind the picture plane",
         {{0, 1, 0, 0, matte()}, {{false, 1, 2, -100, 5, 0, {1, 1, 1, 0.5f, 8}}}, {}},
         "sphere{<1,2,100>,5 pigment{rgb<1,1,1>} finish{ambient 0 diffuse 1 phong 1 phong_size 8 "
         "reflection 0.5}}"},
        {"cylinder as an open tube from bottom to top",
         {{0, 1, 0, 0, matte()}, {{true, 3, 10, -7, 4, 20, matte()}}, {}},
         "cylinder{<3,0,7>,<3,20,7>,4 open "},
        {"light",
         {{0, 1, 0, 0, matte()}, {}, {{10, 20, 30, 1, 0, 0}}},
         "light_source{<10,20,-30> color rgb<1,0,0>}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = written([&](std::FILE* out) { writePovScene(out, c.scene, 2); });
        EXPECT_NE(text.find(c.expected), std::string::npos) << text;
        EXPECT_NE(text.find("max_trace_level 3"), std::string::npos);
    }
}

TEST(BenchTools, CompareHelpSucceedsAndTheGeneratorNamesWhatItRefuses) {
    struct Case {
        std::string arguments;
        int status;
        const char* shown;
    };
    const std::string generator = ORVANE_SCENE_GENERATOR;
    const Case cases[] = {
        {std::string("bash ") + ORVANE_COMPARE_SCRIPT + " --help", 0,
         "bench/compare.sh [--max-n N]"},
        {generator + " spheres 10x", 2, "count must be 0 to 100000000, not \"10x\""},
        {generator + " --recurse -1 mixed 10", 2, "depth must be 0 to 1000, not \"-1\""},
        {generator + " --povray spheres 10", 2, "unknown option \"--povray\""},
        {generator + " cubes 10", 2, "not \"cubes\""},
        {generator + " spheres 10 7 8", 2, "too many: \"8\""},
    };
    for (const Case& c : cases) {
        std::FILE* pipe = popen((c.arguments + " 2>&1").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        const int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << c.arguments;
        EXPECT_NE(output.find(c.shown), std::string::npos) << c.arguments << "\n" << output;
        EXPECT_EQ(output.find("unknown option: --help"), std::string::npos);
    }
}
