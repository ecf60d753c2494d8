#include "shapes/cylinder.h"

#include <algorithm>
#include <cmath>
#include <utility>

Cylinder::Cylinder(float centerX, float centerY, float centerZ, float radius, float height,
                   float red, float green, float blue, float reflectivity, float specularity,
                   const char* textureFile)
    : Cylinder(centerX, centerY, centerZ, radius, height, red, green, blue, reflectivity,
               specularity, loadPcxTexture(textureFile)) {}

Cylinder::Cylinder(float centerX, float centerY, float centerZ, float radius, float height,
                   float red, float green, float blue, float reflectivity, float specularity,
                   std::shared_ptr<const PcxTexture> loadedTexture)
    : TexturedShape(red, green, blue, reflectivity, specularity, std::move(loadedTexture)),
      height(height),
      radius(radius),
      center(centerX, centerY, centerZ) {}

bool Cylinder::intersect(const Ray& ray, Point& hitPoint, float& t) const {
    return intersectTube(center, radius, height, ray, hitPoint, t);
}

bool intersectTube(const Point& center, float radius, float height, const Ray& ray, Point& hitPoint,
                   float& t) {
    const Vector& dir = ray.direction;
    const Point& o = ray.origin;
    const Point& m = center;
    const float top = m.y + height * 0.5f;
    const float bottom = m.y - height * 0.5f;
    // Both ends belong to the wall.
    const auto withinTube = [top, bottom](float y) { return bottom <= y && y <= top; };

    // Only x and z enter the quadratic; B and K are formed expanded.
    const float a = dir.x * dir.x + dir.z * dir.z;
    const float b = -2.0f * m.x * dir.x + 2.0f * (dir.x * o.x + dir.z * o.z) - 2.0f * dir.z * m.z;
    const float k =
        m.x * m.x +
        (o.x * o.x + o.z * o.z - radius * radius - 2.0f * o.x * m.x - 2.0f * o.z * m.z) + m.z * m.z;
    const float discriminant = b * b - a * (4.0f * k);
    if (discriminant < 0.0f) return false;

    float distance;
    if (discriminant == 0.0f) {
        // A direction parallel to the axis never meets the wall.
        if (a == 0.0f) return false;
        distance = -b / (2.0f * a);
    } else {
        const double root = std::sqrt(double{discriminant});
        const float tNear = static_cast<float>((-b - root) / (2.0f * a));
        const float tFar = static_cast<float>((-b + root) / (2.0f * a));
        if (withinTube(o.y + tNear * dir.y)) {
            distance = tNear;
        } else if (withinTube(o.y + tFar * dir.y)) {
            // Through an open end onto the inside of the wall.
            distance = tFar;
        } else {
            return false;
        }
    }
    // The farther root is never tried once the nearer one is chosen.
    if (distance < 0.0f) return false;
    const Point point = ray.pointAt(distance);
    if (!withinTube(point.y)) return false;
    hitPoint = point;
    t = distance;
    return true;
}

Vector Cylinder::normalAt(const Point& point) const {
    return Vector(point.x - center.x, 0.0f, point.z - center.z);
}

// Columns run across the tube in x; rows count one texel per unit down from the top rim and
// repeat every 2 × halfHeight units.
Texel Cylinder::texelAt(const Point& point) const {
    const Vector n = normalAt(point);
    const int column = truncateToInt(halfWidth + n.x * halfWidth);
    const int period = 2 * halfHeight;
    const int depthBelowTop = truncateToInt(height * 0.5f + center.y - point.y);
    // A texture one row high has no period: its only row is used.
    const int row = period == 0 ? 0 : depthBelowTop % period;
    return {column, row};
}

std::optional<BoundingBox> Cylinder::bounds() const {
    const double r = std::fabs(double{radius});
    // The rims as intersect() computes them; with a negative height the tube is never hit.
    const float top = center.y + height * 0.5f;
    const float bottom = center.y - height * 0.5f;
    return BoundingBox(center.x - r, std::min(top, bottom), center.z - r, center.x + r,
                       std::max(top, bottom), center.z + r);
}
