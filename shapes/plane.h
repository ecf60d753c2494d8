#pragma once

#include "shapes/shape.h"

// The infinite plane a·x + b·y + c·z + d = 0; always shows its plain colour.
class Plane : public Shape {
public:
    float a;
    float b;
    float c;
    float d;

    // Loads its own texture from textureFile (null names no file).
    Plane(float a, float b, float c, float d, float red, float green, float blue,
          float reflectivity, float specularity, const char* textureFile);
    // Shows loadedTexture, which other shapes may share; none leaves it untextured.
    Plane(float a, float b, float c, float d, float red, float green, float blue,
          float reflectivity, float specularity, std::shared_ptr<const PcxTexture> loadedTexture);

    bool intersect(const Ray& ray, Point& hitPoint, float& t) const override;
    Vector normalAt(const Point& point) const override;
};

// The plane's hit test on its bare coefficients, for callers that keep them apart from the shape;
// Plane::intersect is this test.
bool intersectPlane(float a, float b, float c, float d, const Ray& ray, Point& hitPoint, float& t);
