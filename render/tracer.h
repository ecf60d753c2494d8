#pragma once

#include <memory>
#include <vector>

#include "geometry/point.h"
#include "geometry/ray.h"
#include "render/color.h"

class Shape;
struct Light;

using ShapeList = std::vector<std::unique_ptr<Shape>>;
using LightList = std::vector<Light>;

// Reflection chains end here whatever depth is asked for: each level costs stack, and past a few
// hundred mirror bounces no reflectivity below 1 leaves a trace in an 8-bit picture.
constexpr int kMaxReflectionDepth = 1000;

// The nearest shape along the ray, or null; on a hit its hit point is written to hitPoint. Of
// shapes at the same distance the one earlier in the list wins.
const Shape* nearestHit(const Ray& ray, const ShapeList& shapes, Point& hitPoint);

// The colour seen along the ray, each component at most 1. A reflected ray is followed from a hit
// reached through reflectionLevel reflections only while that level is below maxDepth.
Color trace(const Ray& ray, const ShapeList& shapes, const LightList& lights, int maxDepth,
            int reflectionLevel = 0);
