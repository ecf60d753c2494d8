#include "geometry/vector.h"

#include <cmath>

Vector::Vector(float x, float y, float z) : x(x), y(y), z(z) { normalize(); }

void Vector::normalize() {
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

float Vector::clampedDot(Vector& w) {
    float s = x * w.x + y * w.y + z * w.z;
    if (s < 0.0f) s = 0.0f;
    if (s <= 1.0f) return s;
    normalize();
    w.normalize();
    return x * w.x + y * w.y + z * w.z;
}

void Vector::scale(float s) {
    x *= s;
    y *= s;
    z *= s;
}

void Vector::negate() {
    x = -x;
    y = -y;
    z = -z;
}

Vector Vector::cross(const Vector& w) const {
    return Vector(y * w.z - z * w.y, z * w.x - x * w.z, x * w.y - y * w.x);
}

Vector operator-(const Vector& u, const Vector& w) {
    return Vector(u.x - w.x, u.y - w.y, u.z - w.z);
}

Vector operator+(const Vector& u, const Vector& w) {
    return Vector(u.x + w.x, u.y + w.y, u.z + w.z);
}
