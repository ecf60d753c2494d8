#pragma once

// A direction in scene space. Every Vector built from components is normalised to unit length
// (the zero vector stays zero); only scale() leaves it at another length.
struct Vector {
    float x;
    float y;
    float z;

    Vector(float x, float y, float z);

    void normalize();
    // Dot product with negative results reported as 0. When the plain sum exceeds 1 (an operand was
    // scaled), both operands are normalised in place and their plain dot product is returned.
    float clampedDot(Vector& w);
    void scale(float s);
    void negate();
    Vector cross(const Vector& w) const;
};

Vector operator-(const Vector& u, const Vector& w);
Vector operator+(const Vector& u, const Vector& w);
