#include "bench/scene_writers.h"

#include <cmath>
#include <string>

namespace {

// Nine significant digits give back the very float that was written; adding 0 turns -0 into 0.
std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value + 0.0);
    return text;
}

void writeMaterial(std::FILE* out, const FieldScene::Material& m) {
    std::fprintf(out, " %s %s %s %s %s none\n", number(m.red).c_str(), number(m.green).c_str(),
                 number(m.blue).c_str(), number(m.reflectivity).c_str(),
                 number(m.specularity).c_str());
}

// A point of Orvane's right-handed space in POV-Ray's left-handed one.
std::string povPoint(double x, double y, double z) {
    return "<" + number(x) + "," + number(y) + "," + number(-z) + ">";
}

void writePovMaterial(std::FILE* out, const FieldScene::Material& m) {
    std::fprintf(out, " pigment{rgb<%s,%s,%s>} finish{ambient 0 diffuse 1 phong 1 phong_size %s",
                 number(m.red).c_str(), number(m.green).c_str(), number(m.blue).c_str(),
                 number(m.specularity).c_str());
    if (m.reflectivity > 0.0f) std::fprintf(out, " reflection %s", number(m.reflectivity).c_str());
    std::fputs("}}\n", out);
}

}  // namespace

void writeRayScene(std::FILE* out, const FieldScene& scene) {
    const FieldScene::Floor& f = scene.floor;
    std::fprintf(out, "Plane %s %s %s %s", number(f.a).c_str(), number(f.b).c_str(),
                 number(f.c).c_str(), number(f.d).c_str());
    writeMaterial(out, f.material);
    for (const FieldScene::Object& o : scene.objects) {
        if (o.cylinder) {
            std::fprintf(out, "Cylinder %s %s %s %s %s", number(o.x).c_str(), number(o.y).c_str(),
                         number(o.z).c_str(), number(o.radius).c_str(), number(o.height).c_str());
        } else {
            std::fprintf(out, "Sphere %s %s %s %s", number(o.x).c_str(), number(o.y).c_str(),
                         number(o.z).c_str(), number(o.radius).c_str());
        }
        writeMaterial(out, o.material);
    }
    for (const FieldScene::Lamp& l : scene.lamps) {
        std::fprintf(out, "Light %s %s %s %s %s %s\n", number(l.x).c_str(), number(l.y).c_str(),
                     number(l.z).c_str(), number(l.red).c_str(), number(l.green).c_str(),
                     number(l.blue).c_str());
    }
}

void writePovScene(std::FILE* out, const FieldScene& scene, int reflectionDepth) {
    std::fputs("#version 3.7;\n", out);
    // The primary ray is trace level 1; each reflection adds one.
    std::fprintf(out, "global_settings{assumed_gamma 1 ambient_light 0 max_trace_level %d}\n",
                 reflectionDepth + 1);
    // Orvane shoots its rays through the integer points of the picture plane, x = column - 320
    // and y = 240 - row; POV-Ray through pixel centres. Leaning the direction by half a pixel
    // puts the two on the same points without moving the eye.
    std::fputs(
        "camera{perspective location<0,0,-256> direction<-0.5,0.5,256> right<640,0,0> "
        "up<0,480,0>}\n",
        out);

    // POV-Ray's plane is normal·P = distance; a unit normal makes the distance unambiguous.
    const FieldScene::Floor& f = scene.floor;
    const double length = std::sqrt(double{f.a} * f.a + double{f.b} * f.b + double{f.c} * f.c);
    std::fprintf(out, "plane{<%s,%s,%s>,%s", number(f.a / length).c_str(),
                 number(f.b / length).c_str(), number(-f.c / length).c_str(),
                 number(-f.d / length).c_str());
    writePovMaterial(out, f.material);
    for (const FieldScene::Object& o : scene.objects) {
        if (o.cylinder) {
            const double half = o.height * 0.5;
            std::fprintf(out, "cylinder{%s,%s,%s open", povPoint(o.x, o.y - half, o.z).c_str(),
                         povPoint(o.x, o.y + half, o.z).c_str(), number(o.radius).c_str());
        } else {
            std::fprintf(out, "sphere{%s,%s", povPoint(o.x, o.y, o.z).c_str(),
                         number(o.radius).c_str());
        }
        writePovMaterial(out, o.material);
    }
    for (const FieldScene::Lamp& l : scene.lamps) {
        std::fprintf(out, "light_source{%s color rgb<%s,%s,%s>}\n", povPoint(l.x, l.y, l.z).c_str(),
                     number(l.red).c_str(), number(l.green).c_str(), number(l.blue).c_str());
    }
}
