#pragma once

#include "geometry/bounding_box.h"

// Where a bounded shape lies, and what decides the rounding of its float hit test, so that a
// spatial index can widen the box by as much as that rounding may move a reported hit.
struct ShapeBounds {
    BoundingBox box;
    double radius;  // of the ball or tube: the larger it is, the less rounding moves a hit off it
    // Whether the rounding grows with the coordinates' distance from the scene origin (the hit
    // test expands products of absolute x and z coordinates) rather than from the ray's origin.
    bool roundsWithHorizontalDistanceFromOrigin;
};
