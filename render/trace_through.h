#pragma once

#include <algorithm>
#include <cmath>

#include "render/lighting.h"
#include "render/tracer.h"
#include "scene/light.h"
#include "shapes/shape.h"

namespace tracing {

// Colours saturate at 1 only; nothing raises a component that falls below 0.
inline float clampAbove(float value) { return value > 1.0f ? 1.0f : value; }

}  // namespace tracing

// trace() over any answer to the two questions it asks of the shapes, as ShapeIndex gives them:
// shapes.nearest(ray), a ShapeIndex::Hit, and shapes.nearestIs(ray, position).
template <typename Shapes>
Color traceThrough(const Ray& ray, const Shapes& shapes, const LightList& lights, int maxDepth,
                   int reflectionLevel) {
    using tracing::clampAbove;
    const ShapeIndex::Hit nearest = shapes.nearest(ray);
    if (nearest.shape == nullptr) return Color{};
    const Shape* hit = nearest.shape;
    const Point& p = nearest.point;

    float diffuse = 0.0f;
    Color lightSum;
    float specular = 0.0f;
    const Vector towardEye(-p.x, -p.y, 256.0f - p.z);
    // Every lighting term asks for the same normal; it is the same Vector each time.
    const Vector normal = hit->normalAt(p);
    for (const Light& light : lights) {
        // The light reaches p only if the first shape along the ray from the light is the hit
        // shape itself, so a shape never shadows itself.
        const Ray fromLight = light.position.rayTo(p);
        if (!shapes.nearestIs(fromLight, nearest.position)) continue;
        // The ray's direction is the incident direction, normalise(p - light).
        LightTerms terms = lightTerms(normal, fromLight.direction);
        const float d = terms.diffuse;
        diffuse += d;
        lightSum.red += light.color.red;
        lightSum.green += light.color.green;
        lightSum.blue += light.color.blue;
        // The highlight is seen from the eye at every depth, never along the traced ray.
        Vector view = towardEye;
        const float k = terms.mirror.clampedDot(view);
        specular = static_cast<float>(specular + std::pow(double{k}, double{hit->specularity}) * d);
    }
    diffuse = clampAbove(diffuse);
    lightSum.red = clampAbove(lightSum.red) * diffuse;
    lightSum.green = clampAbove(lightSum.green) * diffuse;
    lightSum.blue = clampAbove(lightSum.blue) * diffuse;

    Color reflected;
    if (hit->reflectivity > 0.0f && reflectionLevel < std::min(maxDepth, kMaxReflectionDepth)) {
        if (const auto bounce = reflectedRay(normal, ray, p)) {
            reflected = traceThrough(*bounce, shapes, lights, maxDepth, reflectionLevel + 1);
        }
    }
    reflected.red = clampAbove(reflected.red);
    reflected.green = clampAbove(reflected.green);
    reflected.blue = clampAbove(reflected.blue);

    Color color;
    color.red =
        clampAbove(hit->redAt(p) * lightSum.red + hit->reflectivity * reflected.red + specular);
    color.green = clampAbove(hit->greenAt(p) * lightSum.green +
                             hit->reflectivity * reflected.green + specular);
    color.blue =
        clampAbove(hit->blueAt(p) * lightSum.blue + hit->reflectivity * reflected.blue + specular);
    return color;
}
