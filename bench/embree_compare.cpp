// Renders an Orvane scene file the way Orvane shades it, but with Embree finding the hits, on one
// thread, and prints how long building Embree's index and tracing the frame took:
//   orvane_embree_compare <sceneFile.ray> <XRes> <YRes> [-recurse n]
// prints "build_s B frame_s F". Nothing is read or written during the timed part. Spheres are
// Embree's own sphere primitive, cylinders user geometry running Orvane's hit test, planes a list
// every ray tests, as in Orvane; the shading is Orvane's own tracer. Rays from a surface start a
// small distance off it, so the picture is near Orvane's, not byte-identical.

#include <embree3/rtcore.h>

#include <chrono>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "bench/render_job.h"
#include "render/trace_through.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

constexpr float kSurfaceGap = 1e-3f;  // keeps rays that leave a surface off it
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The scene's shapes with Embree's index over the spheres and cylinders, answering the tracer's
// two questions as ShapeIndex does.
struct EmbreeScene {
    ShapeList shapes;
    LightList lights;
    std::vector<const Sphere*> spheres;  // by Embree primitive number
    std::vector<std::size_t> spherePositions;
    std::vector<const Cylinder*> cylinders;  // by Embree primitive number
    std::vector<std::size_t> cylinderPositions;
    std::vector<std::size_t> unbounded;  // planes and anything else, by position
    unsigned sphereGeometry = RTC_INVALID_GEOMETRY_ID;
    unsigned cylinderGeometry = RTC_INVALID_GEOMETRY_ID;
    RTCScene scene = nullptr;

    ShapeIndex::Hit nearest(const Ray& ray) const;
    bool nearestIs(const Ray& ray, std::size_t position) const;
};

Ray orvaneRay(const RTCRay& ray) {
    return Ray(Point(ray.org_x, ray.org_y, ray.org_z), ray.dir_x, ray.dir_y, ray.dir_z);
}

void cylinderBounds(const RTCBoundsFunctionArguments* args) {
    const auto& cylinders =
        *static_cast<const std::vector<const Cylinder*>*>(args->geometryUserPtr);
    const Cylinder& c = *cylinders[args->primID];
    RTCBounds& b = *args->bounds_o;
    b.lower_x = c.center.x - c.radius;
    b.upper_x = c.center.x + c.radius;
    b.lower_y = c.center.y - c.height * 0.5f;
    b.upper_y = c.center.y + c.height * 0.5f;
    b.lower_z = c.center.z - c.radius;
    b.upper_z = c.center.z + c.radius;
}

// Whether cylinder primID of the geometry hits the ray between its tnear and tfar, and where.
bool cylinderMeets(const void* geometryUserPtr, unsigned primID, const RTCRay& ray, float& t) {
    const auto& cylinders = *static_cast<const std::vector<const Cylinder*>*>(geometryUserPtr);
    Point p;
    return cylinders[primID]->intersect(orvaneRay(ray), p, t) && t >= ray.tnear && t < ray.tfar;
}

void cylinderIntersect(const RTCIntersectFunctionNArguments* args) {
    if (!args->valid[0]) return;
    auto* rayHit = reinterpret_cast<RTCRayHit*>(args->rayhit);
    float t;
    if (cylinderMeets(args->geometryUserPtr, args->primID, rayHit->ray, t)) {
        rayHit->ray.tfar = t;
        rayHit->hit.geomID = args->geomID;
        rayHit->hit.primID = args->primID;
    }
}

void cylinderOccluded(const RTCOccludedFunctionNArguments* args) {
    if (!args->valid[0]) return;
    auto* ray = reinterpret_cast<RTCRay*>(args->ray);
    float t;
    if (cylinderMeets(args->geometryUserPtr, args->primID, *ray, t)) ray->tfar = -kInfinity;
}

void buildIndex(RTCDevice device, EmbreeScene& s) {
    for (std::size_t position = 0; position < s.shapes.size(); ++position) {
        const Shape* shape = s.shapes[position].get();
        if (const auto* sphere = dynamic_cast<const Sphere*>(shape)) {
            s.spheres.push_back(sphere);
            s.spherePositions.push_back(position);
        } else if (const auto* cylinder = dynamic_cast<const Cylinder*>(shape)) {
            s.cylinders.push_back(cylinder);
            s.cylinderPositions.push_back(position);
        } else {
            s.unbounded.push_back(position);
        }
    }
    s.scene = rtcNewScene(device);
    if (!s.spheres.empty()) {
        RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_SPHERE_POINT);
        auto* points = static_cast<float*>(
            rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT4,
                                    4 * sizeof(float), s.spheres.size()));
        for (const Sphere* sphere : s.spheres) {
            *points++ = sphere->center.x;
            *points++ = sphere->center.y;
            *points++ = sphere->center.z;
            *points++ = sphere->radius;
        }
        rtcCommitGeometry(geometry);
        s.sphereGeometry = rtcAttachGeometry(s.scene, geometry);
        rtcReleaseGeometry(geometry);
    }
    if (!s.cylinders.empty()) {
        RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_USER);
        rtcSetGeometryUserPrimitiveCount(geometry, static_cast<unsigned>(s.cylinders.size()));
        rtcSetGeometryUserData(geometry, &s.cylinders);
        rtcSetGeometryBoundsFunction(geometry, cylinderBounds, nullptr);
        rtcSetGeometryIntersectFunction(geometry, cylinderIntersect);
        rtcSetGeometryOccludedFunction(geometry, cylinderOccluded);
        rtcCommitGeometry(geometry);
        s.cylinderGeometry = rtcAttachGeometry(s.scene, geometry);
        rtcReleaseGeometry(geometry);
    }
    rtcCommitScene(s.scene);
}

RTCRay embreeRay(const Ray& ray, float start, float end) {
    RTCRay r{};
    r.org_x = ray.origin.x;
    r.org_y = ray.origin.y;
    r.org_z = ray.origin.z;
    r.dir_x = ray.direction.x;
    r.dir_y = ray.direction.y;
    r.dir_z = ray.direction.z;
    r.tnear = start;
    r.tfar = end;
    r.mask = ~0u;
    return r;
}

ShapeIndex::Hit EmbreeScene::nearest(const Ray& ray) const {
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRayHit rayHit{};
    rayHit.ray = embreeRay(ray, kSurfaceGap, kInfinity);
    rayHit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
    rtcIntersect1(scene, &context, &rayHit);
    ShapeIndex::Hit hit;
    hit.distance = rayHit.ray.tfar;
    // A geometry that was never made has the invalid number too, which a miss reports.
    if (rayHit.hit.geomID != RTC_INVALID_GEOMETRY_ID) {
        if (rayHit.hit.geomID == sphereGeometry) {
            hit.shape = spheres[rayHit.hit.primID];
            hit.position = spherePositions[rayHit.hit.primID];
        }
        if (rayHit.hit.geomID == cylinderGeometry) {
            hit.shape = cylinders[rayHit.hit.primID];
            hit.position = cylinderPositions[rayHit.hit.primID];
        }
    }
    for (const std::size_t position : unbounded) {
        Point p;
        float t;
        if (shapes[position]->intersect(ray, p, t) && t >= kSurfaceGap && t < hit.distance) {
            hit = {shapes[position].get(), position, p, t};
        }
    }
    if (hit.shape != nullptr) {
        hit.point = ray.origin;
        hit.point.addScaled(hit.distance, ray.direction);
    }
    return hit;
}

// Whether nothing lies along the ray before it meets the shape at position, which it does.
bool EmbreeScene::nearestIs(const Ray& ray, std::size_t position) const {
    Point p;
    float reach;
    if (!shapes[position]->intersect(ray, p, reach)) return false;
    const float end = reach - kSurfaceGap;
    for (const std::size_t other : unbounded) {
        float t;
        if (other != position && shapes[other]->intersect(ray, p, t) && t < end) return false;
    }
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRay r = embreeRay(ray, 0.0f, end);
    rtcOccluded1(scene, &context, &r);
    return r.tfar >= 0.0f;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<RenderJob> job = readRenderJob(argc, argv, "orvane_embree_compare");
    if (!job) return 2;
    EmbreeScene s;
    if (!loadSilently(job->sceneFile, s.shapes, s.lights)) return 1;
    std::vector<Color> frame(static_cast<std::size_t>(std::max(0, job->width)) *
                             static_cast<std::size_t>(std::max(0, job->height)));

    RTCDevice device = rtcNewDevice("threads=1");
    const auto buildStart = std::chrono::steady_clock::now();
    buildIndex(device, s);
    const double buildSeconds = secondsSince(buildStart);

    const auto frameStart = std::chrono::steady_clock::now();
    std::size_t pixel = 0;
    forEachPrimaryRay(job->width, job->height, [&](const Ray& ray) {
        frame[pixel++] = traceThrough(ray, s, s.lights, job->maxDepth, 0);
    });
    const double frameSeconds = secondsSince(frameStart);

    std::printf("build_s %.4f frame_s %.4f\n", buildSeconds, frameSeconds);
    rtcReleaseScene(s.scene);
    rtcReleaseDevice(device);
    return 0;
}
