#pragma once

#include <cstring>
#include <limits>

#include "render/shape_index.h"
#include "shapes/shape.h"

// Every shape tested in file order: the answer the shape index must give.
inline ShapeIndex::Hit scanEveryShape(const ShapeList& shapes, const Ray& ray) {
    ShapeIndex::Hit best;
    best.distance = std::numeric_limits<float>::max();
    for (std::size_t position = 0; position < shapes.size(); ++position) {
        Point point;
        float distance;
        if (shapes[position]->intersect(ray, point, distance) && distance < best.distance) {
            best = {shapes[position].get(), position, point, distance};
        }
    }
    return best;
}

inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Whether two answers are the same shape at the same distance and point, to the bit.
inline bool sameHit(const ShapeIndex::Hit& a, const ShapeIndex::Hit& b) {
    if (a.shape != b.shape) return false;
    if (a.shape == nullptr) return true;
    return a.position == b.position && sameBits(a.distance, b.distance) &&
           sameBits(a.point.x, b.point.x) && sameBits(a.point.y, b.point.y) &&
           sameBits(a.point.z, b.point.z);
}
