#pragma once

#include "geometry/point.h"
#include "geometry/vector.h"

// A half-line: a unit direction (zero when built from a zero direction) and its start point.
struct Ray {
    Vector direction;
    Point origin;

    // The direction is normalised once more, whatever its length.
    Ray(const Point& origin, const Vector& direction);
    // The direction built from three components, normalised once.
    Ray(const Point& origin, float directionX, float directionY, float directionZ);

    // The point at distance along the ray, each component distance × direction + origin, as
    // every hit test forms its hit point.
    Point pointAt(float distance) const {
        return Point(distance * direction.x + origin.x, distance * direction.y + origin.y,
                     distance * direction.z + origin.z);
    }
};
