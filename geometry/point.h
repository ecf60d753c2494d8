#pragma once

#include "geometry/vector.h"

struct Ray;

// A position in scene space; never normalised.
struct Point {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Point() = default;
    Point(float x, float y, float z) : x(x), y(y), z(z) {}

    void addScaled(float s, const Vector& v);
    Vector directionTo(const Point& p) const;
    // The ray from this point toward p.
    Ray rayTo(const Point& p) const;
    // The ray from p toward this point.
    Ray rayFrom(const Point& p) const;
};
