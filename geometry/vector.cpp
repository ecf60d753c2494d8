#include "geometry/vector.h"

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
