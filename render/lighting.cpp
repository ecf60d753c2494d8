#include "render/lighting.h"

#include <cmath>

namespace {

constexpr double kSurfaceOffset = 0.0001;  // scene units along the normal

// The normalised reverse of v. Negating a unit vector and normalising its reverse round alike, so
// this is also normalise(normalise(-v)): the light's direction from p whichever way it was formed.
Vector reversed(const Vector& v) { return Vector(-v.x, -v.y, -v.z); }

// k, the clamped cosine between N and W, the reversed direction D, and normalise(2k·N + D): the
// mirror image of D. The cosine may renormalise both operands in place, as it does for the caller.
LightTerms mirrored(Vector& normal, Vector& towardSource) {
    Vector scaled = normal;
    const float cosine = normal.clampedDot(towardSource);
    scaled.scale(2.0f * cosine);
    return {cosine, scaled - towardSource};
}

}  // namespace

LightTerms lightTerms(const Vector& normal, const Vector& incident) {
    Vector n = normal;
    Vector towardLight = reversed(incident);
    return mirrored(n, towardLight);
}

std::optional<Ray> reflectedRay(const Vector& normal, const Ray& ray, const Point& p) {
    Vector n = normal;
    Vector towardSource = reversed(ray.direction);
    const Vector direction = mirrored(n, towardSource).mirror;
    const float cosine = n.clampedDot(towardSource);
    const float lift = static_cast<float>(kSurfaceOffset / cosine);
    // A cosine of 0 (grazing, or from behind) or one too small for the quotient to fit a float
    // would start the ray at infinity.
    if (!std::isfinite(lift)) return std::nullopt;
    Point origin = p;
    origin.addScaled(lift, direction);
    return Ray(origin, direction);
}
