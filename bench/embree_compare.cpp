// Renders an Orvane scene file the way Orvane shades it, but with Embree finding the hits, on one
// thread, and prints how long building Embree's index and tracing the frame took:
//   orvane_embree_compare <sceneFile.ray> <XRes> <YRes> [-recurse n]
// prints "build_s B frame_s F". Nothing is read or written during the timed part. Spheres are
// Embree's own sphere primitive, cylinders user geometry running Orvane's hit test, planes a list
// every ray tests, as in Orvane. Secondary rays start a small distance off their surface, so the
// picture is near Orvane's, not byte-identical.

#include <embree3/rtcore.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "geometry/camera.h"
#include "render/lighting.h"
#include "scene/light.h"
#include "scene/scene_reader.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

constexpr float kSecondaryStart = 1e-3f;  // keeps shadow and reflected rays off their own surface
constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct EmbreeScene {
    std::vector<std::unique_ptr<Shape>> shapes;
    std::vector<Light> lights;
    std::vector<const Sphere*> spheres;      // by Embree primitive number
    std::vector<const Cylinder*> cylinders;  // by Embree primitive number
    std::vector<const Shape*> unbounded;     // planes and anything else
    unsigned sphereGeometry = RTC_INVALID_GEOMETRY_ID;
    unsigned cylinderGeometry = RTC_INVALID_GEOMETRY_ID;
    RTCScene scene = nullptr;
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

void cylinderIntersect(const RTCIntersectFunctionNArguments* args) {
    if (!args->valid[0]) return;
    const auto& cylinders =
        *static_cast<const std::vector<const Cylinder*>*>(args->geometryUserPtr);
    auto* rayHit = reinterpret_cast<RTCRayHit*>(args->rayhit);
    Point p;
    float t;
    if (cylinders[args->primID]->intersect(orvaneRay(rayHit->ray), p, t) &&
        t >= rayHit->ray.tnear && t < rayHit->ray.tfar) {
        rayHit->ray.tfar = t;
        rayHit->hit.geomID = args->geomID;
        rayHit->hit.primID = args->primID;
    }
}

void cylinderOccluded(const RTCOccludedFunctionNArguments* args) {
    if (!args->valid[0]) return;
    const auto& cylinders =
        *static_cast<const std::vector<const Cylinder*>*>(args->geometryUserPtr);
    auto* ray = reinterpret_cast<RTCRay*>(args->ray);
    Point p;
    float t;
    if (cylinders[args->primID]->intersect(orvaneRay(*ray), p, t) && t >= ray->tnear &&
        t < ray->tfar) {
        ray->tfar = -kInfinity;
    }
}

void buildIndex(RTCDevice device, EmbreeScene& s) {
    for (const auto& shape : s.shapes) {
        if (const auto* sphere = dynamic_cast<const Sphere*>(shape.get())) {
            s.spheres.push_back(sphere);
        } else if (const auto* cylinder = dynamic_cast<const Cylinder*>(shape.get())) {
            s.cylinders.push_back(cylinder);
        } else {
            s.unbounded.push_back(shape.get());
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

const Shape* nearest(const EmbreeScene& s, const Ray& ray, float start, Point& hitPoint) {
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRayHit rayHit{};
    rayHit.ray = embreeRay(ray, start, kInfinity);
    rayHit.hit.geomID = RTC_INVALID_GEOMETRY_ID;
    rtcIntersect1(s.scene, &context, &rayHit);
    float best = rayHit.ray.tfar;
    const Shape* hit = nullptr;
    // A geometry that was never made has the invalid number too, which a miss reports.
    if (rayHit.hit.geomID != RTC_INVALID_GEOMETRY_ID) {
        if (rayHit.hit.geomID == s.sphereGeometry) hit = s.spheres[rayHit.hit.primID];
        if (rayHit.hit.geomID == s.cylinderGeometry) hit = s.cylinders[rayHit.hit.primID];
    }
    for (const Shape* shape : s.unbounded) {
        Point p;
        float t;
        if (shape->intersect(ray, p, t) && t >= start && t < best) {
            best = t;
            hit = shape;
        }
    }
    if (hit == nullptr) return nullptr;
    hitPoint = ray.origin;
    hitPoint.addScaled(best, ray.direction);
    return hit;
}

bool occluded(const EmbreeScene& s, const Point& from, const Point& to) {
    const float distance =
        std::sqrt((to.x - from.x) * (to.x - from.x) + (to.y - from.y) * (to.y - from.y) +
                  (to.z - from.z) * (to.z - from.z));
    const Ray ray = to.rayFrom(from);
    const float end = distance - kSecondaryStart;
    for (const Shape* shape : s.unbounded) {
        Point p;
        float t;
        if (shape->intersect(ray, p, t) && t >= kSecondaryStart && t < end) return true;
    }
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRay r = embreeRay(ray, kSecondaryStart, end);
    rtcOccluded1(s.scene, &context, &r);
    return r.tfar < 0.0f;
}

float clampAbove(float value) { return value > 1.0f ? 1.0f : value; }

// Orvane's shading, with Embree answering the visibility queries.
Color shade(const EmbreeScene& s, const Ray& ray, float start, int maxDepth, int level) {
    Point p;
    const Shape* hit = nearest(s, ray, start, p);
    if (hit == nullptr) return Color{};
    float diffuse = 0.0f;
    float specular = 0.0f;
    Color lightSum;
    const Vector towardEye(-p.x, -p.y, 256.0f - p.z);
    for (const Light& light : s.lights) {
        if (occluded(s, p, light.position)) continue;
        const float d = diffuseTerm(*hit, p, light);
        diffuse += d;
        lightSum.red += light.color.red;
        lightSum.green += light.color.green;
        lightSum.blue += light.color.blue;
        Vector mirror = reflectDirection(*hit, light.position.directionTo(p), p);
        Vector view = towardEye;
        specular += static_cast<float>(std::pow(mirror.clampedDot(view), hit->specularity) * d);
    }
    diffuse = clampAbove(diffuse);
    Color reflected;
    if (hit->reflectivity > 0.0f && level < maxDepth) {
        if (const auto bounce = reflectedRay(*hit, ray, p)) {
            reflected = shade(s, *bounce, kSecondaryStart, maxDepth, level + 1);
        }
    }
    return {clampAbove(hit->redAt(p) * clampAbove(lightSum.red) * diffuse +
                       hit->reflectivity * clampAbove(reflected.red) + specular),
            clampAbove(hit->greenAt(p) * clampAbove(lightSum.green) * diffuse +
                       hit->reflectivity * clampAbove(reflected.green) + specular),
            clampAbove(hit->blueAt(p) * clampAbove(lightSum.blue) * diffuse +
                       hit->reflectivity * clampAbove(reflected.blue) + specular)};
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && !(argc == 6 && std::strcmp(argv[4], "-recurse") == 0)) {
        std::fputs("usage: orvane_embree_compare <sceneFile.ray> <XRes> <YRes> [-recurse n]\n",
                   stderr);
        return 2;
    }
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int maxDepth = argc == 6 ? std::max(0, std::atoi(argv[5])) : 0;

    EmbreeScene s;
    std::FILE* quiet = std::fopen("/dev/null", "w");
    if (quiet == nullptr) return 1;
    { SceneReader reader(argv[1], s.shapes, s.lights, quiet); }
    std::fclose(quiet);
    std::vector<Color> frame(static_cast<std::size_t>(std::max(0, width)) *
                             static_cast<std::size_t>(std::max(0, height)));

    RTCDevice device = rtcNewDevice("threads=1");
    const auto buildStart = std::chrono::steady_clock::now();
    buildIndex(device, s);
    const double buildSeconds = secondsSince(buildStart);

    const auto frameStart = std::chrono::steady_clock::now();
    std::size_t pixel = 0;
    for (int row = 0, y = height / 2; row < height; ++row, --y) {
        for (int column = 0, x = -(width / 2); column < width; ++column, ++x) {
            frame[pixel++] = shade(s, primaryRay(static_cast<float>(x), static_cast<float>(y)),
                                   0.0f, maxDepth, 0);
        }
    }
    const double frameSeconds = secondsSince(frameStart);

    std::printf("build_s %.4f frame_s %.4f\n", buildSeconds, frameSeconds);
    rtcReleaseScene(s.scene);
    rtcReleaseDevice(device);
    return 0;
}
