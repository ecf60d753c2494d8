#pragma once

#include <optional>

#include "geometry/point.h"
#include "geometry/ray.h"
#include "geometry/vector.h"

class Shape;
struct Light;

// Cosine between the surface normal at p and the direction to the light; 0 behind the surface.
float diffuseTerm(const Shape& shape, const Point& p, const Light& light);

// The mirror image about the normal at p of the incident direction (from the light toward p);
// the direction itself when the light is behind the surface.
Vector reflectDirection(const Shape& shape, const Vector& incident, const Point& p);

// The mirror-reflected ray at p, its origin lifted 0.0001 units off the tangent plane. None when
// the ray grazes the surface or meets it from behind, or so nearly so that the lift overflows.
std::optional<Ray> reflectedRay(const Shape& shape, const Ray& ray, const Point& p);

// diffuseTerm and reflectDirection of one light, from the shape's normal at the hit point and the
// incident direction, normalise(p - light): the same floats, with the normal asked for once and
// the cosine the two share taken once.
struct LightTerms {
    float diffuse;
    Vector mirror;
};
LightTerms lightTerms(const Vector& normal, const Vector& incident);

// reflectedRay from the shape's normal at p.
std::optional<Ray> reflectedRay(const Vector& normal, const Ray& ray, const Point& p);
