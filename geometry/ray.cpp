#include "geometry/ray.h"

Ray::Ray(const Point& origin, const Vector& direction)
    : direction(direction.x, direction.y, direction.z), origin(origin) {}
