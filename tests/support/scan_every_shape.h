#pragma once

#include <cstring>
#include <limits>

#include "render/shape_index.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

// A white matte ball (kind 0), tube (1) or plane (2) of the shape's first four or five numbers.
inline std::unique_ptr<Shape> plainShape(int kind, float a, float b, float c, float d, float e) {
    if (kind == 0) return std::make_unique<Sphere>(a, b, c, d, 1, 1, 1, 0, 1, nullptr);
    if (kind == 1) return std::make_unique<Cylinder>(a, b, c, d, e, 1, 1, 1, 0, 1, nullptr);
    return std::make_unique<Plane>(a, b, c, d, 1, 1, 1, 0, 1, nullptr);
}

// Why the index answers the ray otherwise than testing every shape in file order, or null: the
// nearest hit to the bit, and the shadow query for the shapes at from .. to - 1 and the nearest.
inline const char* unlikeScan(const ShapeList& shapes, const ShapeIndex& index, const Ray& ray,
                              std::size_t from, std::size_t to) {
    ShapeIndex::Hit scan{nullptr, 0, Point(), std::numeric_limits<float>::max()};
    for (std::size_t position = 0; position < shapes.size(); ++position) {
        ShapeIndex::Hit met{shapes[position].get(), position, Point(), 0.0f};
        if (met.shape->intersect(ray, met.point, met.distance) && met.distance < scan.distance)
            scan = met;
    }
    const ShapeIndex::Hit hit = index.nearest(ray);
    // Bit for bit, as == would take -0 for 0.
    static_assert(sizeof(ShapeIndex::Hit) ==
                      sizeof(Shape*) + sizeof(std::size_t) + sizeof(Point) + sizeof(float),
                  "padding would be compared");
    if (hit.shape != scan.shape || (scan.shape && std::memcmp(&hit, &scan, sizeof hit) != 0)) {
        return "another nearest hit";
    }
    for (std::size_t asked = from; asked <= to; ++asked) {
        const std::size_t position = asked == to ? scan.position : asked;
        if (index.nearestIs(ray, position) != (scan.shape && position == scan.position))
            return "another shadow answer";
    }
    return nullptr;
}
