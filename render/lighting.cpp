#include "render/lighting.h"

#include <cmath>

#include "scene/light.h"
#include "shapes/shape.h"

namespace {

constexpr double kSurfaceOffset = 0.0001;  // scene units along the normal

Vector reversed(const Vector& v) { return Vector(-v.x, -v.y, -v.z); }

// normalise(2k·N + D), with k the clamped cosine between N and W, the reversed direction D: the
// mirror image of D. The cosine may renormalise both operands in place, as it does for the caller.
Vector mirrored(Vector& normal, Vector& towardSource) {
    Vector scaled = normal;
    const float k = normal.clampedDot(towardSource);
    scaled.scale(2.0f * k);
    return scaled - towardSource;
}

}  // namespace

float diffuseTerm(const Shape& shape, const Point& p, const Light& light) {
    Vector normal = shape.normalAt(p);
    const Ray towardLight = light.position.rayFrom(p);
    Vector toLight(towardLight.direction.x, towardLight.direction.y, towardLight.direction.z);
    return normal.clampedDot(toLight);
}

Vector reflectDirection(const Shape& shape, const Vector& incident, const Point& p) {
    Vector normal = shape.normalAt(p);
    Vector towardLight = reversed(incident);
    return mirrored(normal, towardLight);
}

std::optional<Ray> reflectedRay(const Shape& shape, const Ray& ray, const Point& p) {
    Vector normal = shape.normalAt(p);
    Vector towardSource = reversed(ray.direction);
    const Vector direction = mirrored(normal, towardSource);
    const float cosine = normal.clampedDot(towardSource);
    const float lift = static_cast<float>(kSurfaceOffset / cosine);
    // A cosine of 0 (grazing, or from behind) or one too small for the quotient to fit a float
    // would start the ray at infinity.
    if (!std::isfinite(lift)) return std::nullopt;
    Point origin = p;
    origin.addScaled(lift, direction);
    return Ray(origin, direction);
}
