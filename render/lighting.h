#pragma once

#include <optional>

#include "geometry/point.h"
#include "geometry/ray.h"
#include "geometry/vector.h"

// What one light gives a point with the given surface normal, lit from the incident direction
// normalise(p - light): the diffuse term, the cosine between the normal and the direction to the
// light (0 behind the surface), and the mirror image of the incident direction about the normal
// (the direction itself when the light is behind the surface).
struct LightTerms {
    float diffuse;
    Vector mirror;
};
LightTerms lightTerms(const Vector& normal, const Vector& incident);

// The mirror-reflected ray at p, where the surface has the given normal, its origin lifted 0.0001
// units off the tangent plane. None when the ray grazes the surface or meets it from behind, or
// so nearly so that the lift overflows.
std::optional<Ray> reflectedRay(const Vector& normal, const Ray& ray, const Point& p);
