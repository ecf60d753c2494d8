#pragma once

#include <memory>
#include <optional>

#include "geometry/bounding_box.h"
#include "geometry/point.h"
#include "geometry/ray.h"
#include "geometry/vector.h"
#include "image/pcx_texture.h"

// A scene object: its surface material and the queries the tracer asks of it.
class Shape {
public:
    bool textured = false;  // the shape was given a loaded texture
    int halfWidth = 0;      // texture width / 2, meaningful only when textured
    int halfHeight = 0;     // texture height / 2, meaningful only when textured
    float red;
    float green;
    float blue;
    float reflectivity;  // weight of the mirror-reflected colour; reflection is traced when above 0
    float specularity;   // exponent of the specular highlight
    // Shared with every shape of the scene naming the same file; none when untextured. Placed
    // last so that the floats fill the padding after the ints.
    std::shared_ptr<const PcxTexture> texture;

    // Stores the material unchanged and shows loadedTexture, if any.
    Shape(float red, float green, float blue, float reflectivity, float specularity,
          std::shared_ptr<const PcxTexture> loadedTexture);
    virtual ~Shape() = default;

    // On a hit at distance t >= 0 along the ray, writes the hit point and t and returns true;
    // on a miss returns false and writes nothing.
    virtual bool intersect(const Ray& ray, Point& hitPoint, float& t) const = 0;
    // Unit outward normal at a point that intersect() returned; never flipped toward the viewer.
    virtual Vector normalAt(const Point& point) const = 0;
    // Surface colour components at a point that intersect() returned.
    virtual float redAt(const Point& point) const;
    virtual float greenAt(const Point& point) const;
    virtual float blueAt(const Point& point) const;
    // Where the surface lies, as exact geometry; none for a shape without finite bounds.
    virtual std::optional<BoundingBox> bounds() const;
};

// Truncates toward zero like a float-to-int conversion, saturating at the int range; NaN gives 0.
int truncateToInt(float value);
