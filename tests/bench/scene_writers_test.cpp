#include "bench/scene_writers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene_reader.h"
#include "shapes/cylinder.h"
#include "shapes/sphere.h"

namespace {

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

}  // namespace

TEST(FieldScene, RayFileLoadsEveryObjectAsGeneratedAboveTheFloorAndInView) {
    const FieldScene scene = makeFieldScene(FieldKind::mixed, 300, 9);
    char path[] = "/tmp/orvane_field_XXXXXX";
    std::FILE* file = fdopen(mkstemp(path), "w");
    ASSERT_NE(file, nullptr);
    writeRayScene(file, scene);
    std::fclose(file);
    std::vector<std::unique_ptr<Shape>> shapes;
    std::vector<Light> lights;
    std::FILE* console = std::tmpfile();
    { SceneReader reader(path, shapes, lights, console); }
    std::fclose(console);
    std::remove(path);

    ASSERT_EQ(shapes.size(), scene.objects.size() + 1);
    ASSERT_EQ(lights.size(), scene.lamps.size());
    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const FieldScene::Object& o = scene.objects[i];
        const auto* tube = dynamic_cast<const Cylinder*>(shapes[i + 1].get());
        const Point center =
            tube ? tube->center : dynamic_cast<const Sphere&>(*shapes[i + 1]).center;
        EXPECT_EQ(std::tuple(center.x, center.y, center.z, shapes[i + 1]->reflectivity),
                  std::tuple(o.x, o.y, o.z, o.material.reflectivity));
        EXPECT_GE(tube ? o.y - o.height * 0.5f : o.y - o.radius, -scene.floor.d - 0.001f);
        EXPECT_LE(std::abs(o.x), 320.0f * (256.0f - o.z) / 256.0f);
    }
}

TEST(PovScene, MirrorsZAndTurnsPlanesIntoUnitNormalAndDistance) {
    const FieldScene::Material matte{1.0f, 0.5f, 0.25f, 0.0f, 20.0f};
    const FieldScene scene{
        {0, 2, 0, 100, matte},
        {{false, 1, 2, -100, 5, 0, {1, 1, 1, 0.5f, 8}}, {true, 3, 10, -7, 4, 20, matte}},
        {{10, 20, 30, 1, 0, 0}}};
    const std::string text = written([&](std::FILE* out) { writePovScene(out, scene, 2); });
    for (const char* expected :
         {"plane{<0,1,0>,-50 pigment{rgb<1,0.5,0.25>} finish{ambient 0 diffuse 1 phong 1 "
          "phong_size 20}}",
          "sphere{<1,2,100>,5 pigment{rgb<1,1,1>} finish{ambient 0 diffuse 1 phong 1 phong_size 8 "
          "reflection 0.5}}",
          "cylinder{<3,0,7>,<3,20,7>,4 open ", "light_source{<10,20,-30> color rgb<1,0,0>}",
          "max_trace_level 3"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}
