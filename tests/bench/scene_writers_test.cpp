#include "bench/scene_writers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/tracer.h"
#include "scene/scene_reader.h"
#include "shapes/cylinder.h"
#include "shapes/sphere.h"
#include "support/temp_file.h"

TEST(FieldScene, RayFileLoadsEveryObjectAsGeneratedAboveTheFloorAndInView) {
    const FieldScene scene = makeFieldScene(FieldKind::mixed, 300, 9);
    CapturedStream ray;
    writeRayScene(ray.file(), scene);
    ShapeList shapes;
    LightList lights;
    SceneReader(TempDir().write("field.ray", ray.text()).c_str(), shapes, lights, ray.file());
    ASSERT_EQ(shapes.size(), scene.objects.size() + 1);
    ASSERT_EQ(lights.size(), scene.lamps.size());
    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const FieldScene::Object& o = scene.objects[i];
        const auto* tube = dynamic_cast<const Cylinder*>(shapes[i + 1].get());
        const Point c = tube ? tube->center : dynamic_cast<const Sphere&>(*shapes[i + 1]).center;
        EXPECT_EQ(std::tuple(c.x, c.y, c.z, shapes[i + 1]->reflectivity),
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
    CapturedStream out;
    writePovScene(out.file(), scene, 2);
    const std::string pov = out.text();
    for (const char* expected :
         {"plane{<0,1,0>,-50 pigment{rgb<1,0.5,0.25>} finish{ambient 0 diffuse 1 phong 1 "
          "phong_size 20}}",
          "sphere{<1,2,100>,5 pigment{rgb<1,1,1>} finish{ambient 0 diffuse 1 phong 1 phong_size 8 "
          "reflection 0.5}}",
          "cylinder{<3,0,7>,<3,20,7>,4 open ", "light_source{<10,20,-30> color rgb<1,0,0>}",
          "max_trace_level 3"}) {
        EXPECT_NE(pov.find(expected), std::string::npos) << expected << "\n" << pov;
    }
}
