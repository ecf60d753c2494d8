#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/point.h"
#include "geometry/ray.h"

class Shape;

using ShapeList = std::vector<std::unique_ptr<Shape>>;

// A shape as the index tests it: balls, tubes and planes by their geometry, read without going
// through the shape, and any other shape through its own hit test. A plane keeps its a, b, c in
// center and its d in radius.
struct IndexedShape {
    enum class Kind : std::uint8_t { ball, tube, plane, other };

    Point center;
    float radius;
    float height;
    // In the file order. Thirty bits reach past any scene that fits in memory and keep a shape at
    // 24 bytes, of which the builder holds one per shape.
    std::uint32_t position : 30;
    Kind kind : 2;

    IndexedShape(const Shape& shape, std::uint32_t position);
    // shapes: the list position is in.
    bool intersect(const ShapeList& shapes, const Ray& ray, Point& hitPoint, float& t) const;
};
