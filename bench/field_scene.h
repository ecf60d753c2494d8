#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A benchmark scene: a field of objects filling the 640 × 480 view above a floor plane, lit by
// point lights. Every number is a float value, so both renderers read exactly the same scene.
struct FieldScene {
    struct Material {
        float red;
        float green;
        float blue;
        float reflectivity;
        float specularity;
    };
    struct Object {
        bool cylinder;  // a vertical open tube; a sphere otherwise
        float x;
        float y;
        float z;
        float radius;
        float height;  // cylinders only
        Material material;
    };
    // The plane a·x + b·y + c·z + d = 0.
    struct Floor {
        float a;
        float b;
        float c;
        float d;
        Material material;
    };
    struct Lamp {
        float x;
        float y;
        float z;
        float red;
        float green;
        float blue;
    };

    Floor floor;
    std::vector<Object> objects;
    std::vector<Lamp> lamps;
};

enum class FieldKind {
    spheres,  // spheres only, two white lights
    mixed,    // spheres and cylinders, three coloured lights
};

// The same kind, count and seed give the same scene on every machine.
FieldScene makeFieldScene(FieldKind kind, int count, std::uint64_t seed);
