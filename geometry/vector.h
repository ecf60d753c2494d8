#pragma once

#include <cmath>

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

// Defined here so that the tracer's per-light arithmetic compiles without calls.
inline Vector::Vector(float x, float y, float z) : x(x), y(y), z(z) { normalize(); }

inline void Vector::normalize() {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        x = 0.0f;
        y = 0.0f;
        z = 0.0f;
        return;
    }
    x /= length;
    y /= length;
    z /= length;
}

inline float Vector::clampedDot(Vector& w) {
    float s = x * w.x + y * w.y + z * w.z;
    if (s < 0.0f) s = 0.0f;
    if (s <= 1.0f) return s;
    normalize();
    w.normalize();
    return x * w.x + y * w.y + z * w.z;
}

inline Vector operator-(const Vector& u, const Vector& w) {
    return Vector(u.x - w.x, u.y - w.y, u.z - w.z);
}

inline Vector operator+(const Vector& u, const Vector& w) {
    return Vector(u.x + w.x, u.y + w.y, u.z + w.z);
}
