#include "geometry/point.h"

#include "geometry/ray.h"

void Point::addScaled(float s, const Vector& v) {
    x = x + s * v.x;
    y = y + s * v.y;
    z = z + s * v.z;
}

Vector Point::directionTo(const Point& p) const { return Vector(p.x - x, p.y - y, p.z - z); }

Ray Point::rayTo(const Point& p) const { return Ray(*this, p.x - x, p.y - y, p.z - z); }

Ray Point::rayFrom(const Point& p) const { return Ray(p, x - p.x, y - p.y, z - p.z); }
