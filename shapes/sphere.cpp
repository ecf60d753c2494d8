#include "shapes/sphere.h"

#include <cmath>
#include <utility>

Sphere::Sphere(float centerX, float centerY, float centerZ, float radius, float red, float green,
               float blue, float reflectivity, float specularity, const char* textureFile)
    : Sphere(centerX, centerY, centerZ, radius, red, green, blue, reflectivity, specularity,
             loadPcxTexture(textureFile)) {}

Sphere::Sphere(float centerX, float centerY, float centerZ, float radius, float red, float green,
               float blue, float reflectivity, float specularity,
               std::shared_ptr<const PcxTexture> loadedTexture)
    : TexturedShape(red, green, blue, reflectivity, specularity, std::move(loadedTexture)),
      radius(radius),
      center(centerX, centerY, centerZ) {}

bool Sphere::intersect(const Ray& ray, Point& hitPoint, float& t) const {
    return intersectBall(center, radius, ray, hitPoint, t);
}

bool intersectBall(const Point& center, float radius, const Ray& ray, Point& hitPoint, float& t) {
    const Vector& d = ray.direction;
    const Point& o = ray.origin;
    const float wx = o.x - center.x;
    const float wy = o.y - center.y;
    const float wz = o.z - center.z;
    const float a = d.x * d.x + d.y * d.y + d.z * d.z;
    const float b = 2.0f * (d.x * wx + d.y * wy + d.z * wz);
    const float k = (wx * wx + wy * wy + wz * wz) - radius * radius;
    const float discriminant = b * b - a * (4.0f * k);
    if (discriminant < 0.0f) return false;
    // Only the nearer root is tried: a ray starting inside the ball does not hit it.
    const float distance = discriminant == 0.0f
                               ? -b * 0.5f
                               : static_cast<float>((-b - std::sqrt(double{discriminant})) * 0.5);
    if (distance < 0.0f) return false;
    hitPoint = ray.pointAt(distance);
    t = distance;
    return true;
}

Vector Sphere::normalAt(const Point& point) const {
    return Vector(point.x - center.x, point.y - center.y, point.z - center.z);
}

// Projected along z over the silhouette: column 0 at the smallest x, row 0 at the smallest y.
Texel Sphere::texelAt(const Point& point) const {
    const Vector n = normalAt(point);
    return {truncateToInt(halfWidth + n.x * halfWidth),
            truncateToInt(halfHeight + n.y * halfHeight)};
}

std::optional<BoundingBox> Sphere::bounds() const {
    // A negative radius draws the same ball.
    const double r = std::fabs(double{radius});
    return BoundingBox(center.x - r, center.y - r, center.z - r, center.x + r, center.y + r,
                       center.z + r);
}
