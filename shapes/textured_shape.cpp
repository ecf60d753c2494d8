#include "shapes/textured_shape.h"

float TexturedShape::redAt(const Point& point) const {
    if (!textured) return red;
    const Texel texel = texelAt(point);
    return texture->redAt(texel.column, texel.row);
}

float TexturedShape::greenAt(const Point& point) const {
    if (!textured) return green;
    const Texel texel = texelAt(point);
    return texture->greenAt(texel.column, texel.row);
}

float TexturedShape::blueAt(const Point& point) const {
    if (!textured) return blue;
    const Texel texel = texelAt(point);
    return texture->blueAt(texel.column, texel.row);
}
