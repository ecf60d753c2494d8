#include "render/tracer.h"

#include "render/trace_through.h"

Color trace(const Ray& ray, const ShapeIndex& shapes, const LightList& lights, int maxDepth,
            int reflectionLevel) {
    return traceThrough(ray, shapes, lights, maxDepth, reflectionLevel);
}
