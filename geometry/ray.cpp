#include "geometry/ray.h"

Ray::Ray(const Point& origin, const Vector& direction)
    : direction(direction.x, direction.y, direction.z), origin(origin) {}

Ray::Ray(const Point& origin, float directionX, float directionY, float directionZ)
    : direction(directionX, directionY, directionZ), origin(origin) {}
