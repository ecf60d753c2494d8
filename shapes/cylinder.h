#pragma once

#include "shapes/textured_shape.h"

// An open tube around a vertical axis through center, reaching height / 2 above and below it;
// its texture wraps around the tube and repeats down its height.
class Cylinder : public TexturedShape {
public:
    float height;
    float radius;
    Point center;

    // The radius comes before the height, as in the scene file. Loads its own texture from
    // textureFile (null names no file).
    Cylinder(float centerX, float centerY, float centerZ, float radius, float height, float red,
             float green, float blue, float reflectivity, float specularity,
             const char* textureFile);
    // Shows loadedTexture, which other shapes may share; none leaves it untextured.
    Cylinder(float centerX, float centerY, float centerZ, float radius, float height, float red,
             float green, float blue, float reflectivity, float specularity,
             std::shared_ptr<const PcxTexture> loadedTexture);

    bool intersect(const Ray& ray, Point& hitPoint, float& t) const override;
    Vector normalAt(const Point& point) const override;
    Texel texelAt(const Point& point) const override;
    std::optional<BoundingBox> bounds() const override;
};

// The tube's hit test on its bare geometry, for callers that keep the geometry apart from the
// shape; Cylinder::intersect is this test.
bool intersectTube(const Point& center, float radius, float height, const Ray& ray, Point& hitPoint,
                   float& t);
