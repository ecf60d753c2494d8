#include "render/wide_node.h"

namespace {

// Fills the four lanes with value.
void broadcast(float lanes[], float value) {
#if defined(__SSE2__)
    _mm_store_ps(lanes, _mm_set1_ps(value));
#else
    for (int lane = 0; lane < WideNode::kLanes; ++lane) lanes[lane] = value;
#endif
}

}  // namespace

RayLanes::RayLanes(const Ray& ray) {
    const float origins[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const float directions[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    for (int axis = 0; axis < 3; ++axis) {
        const float inverse = 1.0f / directions[axis];
        // A -0 direction runs toward smaller coordinates too.
        const bool backward = std::signbit(inverse);
        nearSide[axis] = backward ? 1 : 0;
        farSide[axis] = backward ? 0 : 1;
        broadcast(origin[axis], origins[axis]);
        broadcast(this->inverse[axis], inverse);
        broadcast(allowanceSign[axis], backward ? -1.0f : 1.0f);
        broadcast(direction[axis], directions[axis]);
    }
    broadcast(horizontal[0], std::fabs(ray.origin.x));
    broadcast(horizontal[1], std::fabs(ray.origin.z));
    const Vector& d = ray.direction;
    broadcast(squaredLength, d.x * d.x + d.y * d.y + d.z * d.z);
}
