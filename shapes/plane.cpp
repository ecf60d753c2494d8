#include "shapes/plane.h"

#include <utility>

Plane::Plane(float a, float b, float c, float d, float red, float green, float blue,
             float reflectivity, float specularity, const char* textureFile)
    : Plane(a, b, c, d, red, green, blue, reflectivity, specularity, loadPcxTexture(textureFile)) {}

Plane::Plane(float a, float b, float c, float d, float red, float green, float blue,
             float reflectivity, float specularity, std::shared_ptr<const PcxTexture> loadedTexture)
    : Shape(red, green, blue, reflectivity, specularity, std::move(loadedTexture)),
      a(a),
      b(b),
      c(c),
      d(d) {}

bool Plane::intersect(const Ray& ray, Point& hitPoint, float& t) const {
    return intersectPlane(a, b, c, d, ray, hitPoint, t);
}

bool intersectPlane(float a, float b, float c, float d, const Ray& ray, Point& hitPoint, float& t) {
    const Vector& dir = ray.direction;
    const Point& o = ray.origin;
    const float denominator = a * dir.x + b * dir.y + c * dir.z;
    const float numerator = a * o.x + b * o.y + c * o.z + d;
    // Only an exactly parallel direction misses, a ray lying in the plane included.
    if (denominator == 0.0f) return false;
    const float distance = -numerator / denominator;
    if (distance < 0.0f) return false;
    hitPoint = ray.pointAt(distance);
    t = distance;
    return true;
}

Vector Plane::normalAt(const Point&) const { return Vector(a, b, c); }
