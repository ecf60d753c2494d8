#include "geometry/bounding_box.h"

#include <algorithm>
#include <cmath>

BoundingBox::BoundingBox(double lowX, double lowY, double lowZ, double highX, double highY,
                         double highZ)
    : low{lowX, lowY, lowZ}, high{highX, highY, highZ} {}

double BoundingBox::largestMagnitude() const {
    double largest = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        largest = std::max({largest, std::fabs(low[axis]), std::fabs(high[axis])});
    }
    return largest;
}

bool BoundingBox::isFinite() const {
    for (int axis = 0; axis < 3; ++axis) {
        if (!std::isfinite(low[axis]) || !std::isfinite(high[axis])) return false;
    }
    return true;
}
