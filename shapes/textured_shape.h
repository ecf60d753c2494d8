#pragma once

#include "shapes/shape.h"

// A texel position in a texture: column u, row v.
struct Texel {
    int column;
    int row;
};

// A shape whose colour, once textured, comes from the texel its own mapping puts under a point;
// the plain colour then plays no part.
class TexturedShape : public Shape {
public:
    using Shape::Shape;

    float redAt(const Point& point) const override;
    float greenAt(const Point& point) const override;
    float blueAt(const Point& point) const override;

    // The texel under a point of the surface; read only when textured.
    virtual Texel texelAt(const Point& point) const = 0;
};
