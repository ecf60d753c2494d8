#include "render/indexed_shape.h"

#include <typeinfo>

#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

IndexedShape::IndexedShape(const Shape& shape, std::uint32_t position)
    : radius(0.0f), height(0.0f), position(position), kind(Kind::other) {
    // Exact types only: a kind derived from them may test hits its own way.
    if (typeid(shape) == typeid(Sphere)) {
        const auto& ball = static_cast<const Sphere&>(shape);
        center = ball.center;
        radius = ball.radius;
        kind = Kind::ball;
    } else if (typeid(shape) == typeid(Cylinder)) {
        const auto& tube = static_cast<const Cylinder&>(shape);
        center = tube.center;
        radius = tube.radius;
        height = tube.height;
        kind = Kind::tube;
    } else if (typeid(shape) == typeid(Plane)) {
        const auto& plane = static_cast<const Plane&>(shape);
        center = Point(plane.a, plane.b, plane.c);
        radius = plane.d;
        kind = Kind::plane;
    }
}

bool IndexedShape::intersect(const ShapeList& shapes, const Ray& ray, Point& hitPoint,
                             float& t) const {
    switch (kind) {
        case Kind::ball:
            return intersectBall(center, radius, ray, hitPoint, t);
        case Kind::tube:
            return intersectTube(center, radius, height, ray, hitPoint, t);
        case Kind::plane:
            return intersectPlane(center.x, center.y, center.z, radius, ray, hitPoint, t);
        case Kind::other:
            break;
    }
    return shapes[position]->intersect(ray, hitPoint, t);
}
