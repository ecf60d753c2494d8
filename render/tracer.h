#pragma once

#include <vector>

#include "geometry/ray.h"
#include "render/color.h"
#include "render/shape_index.h"

struct Light;

using LightList = std::vector<Light>;

// Reflection chains end here whatever depth is asked for: each level costs stack, and past a few
// hundred mirror bounces no reflectivity below 1 leaves a trace in an 8-bit picture.
constexpr int kMaxReflectionDepth = 1000;

// The colour seen along the ray, each component at most 1. A reflected ray is followed from a hit
// reached through reflectionLevel reflections only while that level is below maxDepth.
Color trace(const Ray& ray, const ShapeIndex& shapes, const LightList& lights, int maxDepth,
            int reflectionLevel = 0);
