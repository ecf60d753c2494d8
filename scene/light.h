#pragma once

#include "geometry/point.h"
#include "render/color.h"

// A point light; its colour is added up for every point it reaches.
struct Light {
    Point position;
    Color color;

    Light(const Point& position, float red, float green, float blue)
        : position(position), color{red, green, blue} {}
    Light(float x, float y, float z, float red, float green, float blue)
        : Light(Point(x, y, z), red, green, blue) {}
};
