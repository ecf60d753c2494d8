// Counts the rays a render of a scene traces:
//   orvane_ray_count <sceneFile.ray> <XRes> <YRes> [-recurse n]
// prints "primary P shadow S reflected R total T". The tracer itself runs over the scene's index
// and every question it asks of the shapes is counted, so the counts follow the tracer's rules.

#include <cstddef>
#include <cstdio>

#include "bench/render_job.h"
#include "render/trace_through.h"

namespace {

// The scene's shape index, counting the nearest-shape questions (one per primary or reflected
// ray) and the shadow questions the tracer asks of it.
class CountingIndex {
public:
    explicit CountingIndex(const ShapeIndex& index) : index_(index) {}

    ShapeIndex::Hit nearest(const Ray& ray) const {
        ++nearestRays;
        return index_.nearest(ray);
    }
    bool nearestIs(const Ray& ray, std::size_t position) const {
        ++shadowRays;
        return index_.nearestIs(ray, position);
    }

    mutable long long nearestRays = 0;
    mutable long long shadowRays = 0;

private:
    const ShapeIndex& index_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::optional<RenderJob> job = readRenderJob(argc, argv, "orvane_ray_count");
    if (!job) return 2;
    ShapeList shapes;
    LightList lights;
    if (!loadSilently(job->sceneFile, shapes, lights)) return 1;
    const ShapeIndex index(shapes);
    const CountingIndex counting(index);

    long long primary = 0;
    forEachPrimaryRay(job->width, job->height, [&](const Ray& ray) {
        ++primary;
        traceThrough(ray, counting, lights, job->maxDepth, 0);
    });
    const long long reflected = counting.nearestRays - primary;
    std::printf("primary %lld shadow %lld reflected %lld total %lld\n", primary,
                counting.shadowRays, reflected, primary + counting.shadowRays + reflected);
    return 0;
}
