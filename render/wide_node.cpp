#include "render/wide_node.h"

RayLanes::RayLanes(const Ray& ray) {
    const float origins[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const float directions[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    const float reach = std::fabs(ray.origin.x) + std::fabs(ray.origin.z);
    for (int axis = 0; axis < 3; ++axis) {
        const float inverse = 1.0f / directions[axis];
        // A -0 direction runs toward smaller coordinates too.
        const bool backward = std::signbit(inverse);
        nearSide[axis] = backward ? 1 : 0;
        farSide[axis] = backward ? 0 : 1;
        for (int lane = 0; lane < WideNode::kLanes; ++lane) {
            origin[axis][lane] = origins[axis];
            this->inverse[axis][lane] = inverse;
            allowanceSign[axis][lane] = backward ? -1.0f : 1.0f;
            direction[axis][lane] = directions[axis];
        }
    }
    const Vector& d = ray.direction;
    const float length = d.x * d.x + d.y * d.y + d.z * d.z;
    for (int lane = 0; lane < WideNode::kLanes; ++lane) {
        horizontal[lane] = reach;
        squaredLength[lane] = length;
    }
}
