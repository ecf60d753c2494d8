#pragma once

#include "shapes/shape.h"

// The infinite plane a·x + b·y + c·z + d = 0; always shows its plain colour.
class Plane : public Shape {
public:
    float a;
    float b;
    float c;
    float d;

    Plane(float a, float b, float c, float d, float red, float green, float blue,
          float reflectivity, float specularity, const char* textureFile);

    bool intersect(const Ray& ray, Point& hitPoint, float& t) const override;
    Vector normalAt(const Point& point) const override;
};
