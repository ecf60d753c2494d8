#include "scene/object_format.h"

const std::array<ObjectFormat, 4> kObjectFormats = {{
    {ObjectKind::Sphere,
     "Sphere",
     9,
     {"centre x", "centre y", "centre z", "radius", "red component", "green component",
      "blue component", "reflectivity", "specular exponent"},
     true},
    {ObjectKind::Cylinder,
     "Cylinder",
     10,
     {"centre x", "centre y", "centre z", "radius", "height", "red component", "green component",
      "blue component", "reflectivity", "specular exponent"},
     true},
    {ObjectKind::Plane,
     "Plane",
     9,
     {"coefficient a", "coefficient b", "coefficient c", "coefficient d", "red component",
      "green component", "blue component", "reflectivity", "specular exponent"},
     true},
    {ObjectKind::Light,
     "Light",
     6,
     {"position x", "position y", "position z", "red component", "green component",
      "blue component"},
     false},
}};

const ObjectFormat* objectFormatOf(std::string_view keyword) {
    for (const ObjectFormat& format : kObjectFormats) {
        if (format.keyword == keyword) return &format;
    }
    return nullptr;
}
