#pragma once

#include "shapes/textured_shape.h"

// A solid ball; its texture is projected along z over its silhouette.
class Sphere : public TexturedShape {
public:
    float radius;
    Point center;

    // Loads its own texture from textureFile (null names no file).
    Sphere(float centerX, float centerY, float centerZ, float radius, float red, float green,
           float blue, float reflectivity, float specularity, const char* textureFile);
    // Shows loadedTexture, which other shapes may share; none leaves it untextured.
    Sphere(float centerX, float centerY, float centerZ, float radius, float red, float green,
           float blue, float reflectivity, float specularity,
           std::shared_ptr<const PcxTexture> loadedTexture);

    bool intersect(const Ray& ray, Point& hitPoint, float& t) const override;
    Vector normalAt(const Point& point) const override;
    Texel texelAt(const Point& point) const override;
    std::optional<BoundingBox> bounds() const override;
};

// The ball's hit test on its bare geometry, for callers that keep the geometry apart from the
// shape; Sphere::intersect is this test.
bool intersectBall(const Point& center, float radius, const Ray& ray, Point& hitPoint, float& t);
