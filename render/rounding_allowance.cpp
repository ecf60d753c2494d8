#include "render/rounding_allowance.h"

#include <cmath>
#include <limits>

float rounding::rimFactor(double rounding, float radius) {
    if (!(radius > 0.0f)) return std::numeric_limits<float>::infinity();
    const double factor = rounding * (1.0 + kConstantMargin) / (2.0 * double{radius});
    const auto rounded = static_cast<float>(factor);
    return rounded < factor ? std::nextafter(rounded, std::numeric_limits<float>::infinity())
                            : rounded;
}

float rounding::allowanceFrom(const Point& origin, const ShapeReach& shapes) {
    // The smaller bound of each kind, the NaN of 0 times infinity put first so that the other is
    // taken.
    const auto lesser = [](float a, float b) { return a < b ? a : b; };
    // The rest is never NaN: the origin is finite and the shapes' box too.
    const auto larger = [](float a, float b) { return a > b ? a : b; };
    const float from[3] = {origin.x, origin.y, origin.z};
    float square = 0.0f;
    float scale = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float reach = larger(std::fabs(shapes.bounds[0][axis] - from[axis]),
                                   std::fabs(shapes.bounds[1][axis] - from[axis]));
        square = square + reach * reach;
        scale = scale + reach;
    }
    const float ballRounding = lesser(square * shapes.ballRim, scale * kBallRootFactor);
    const float tubeX = larger(std::fabs(origin.x) + shapes.tubeReach[0], 0.0f);
    const float tubeZ = larger(std::fabs(origin.z) + shapes.tubeReach[1], 0.0f);
    const float tubeScale = tubeX + tubeZ;
    const float tubeRounding =
        lesser((tubeX * tubeX + tubeZ * tubeZ) * shapes.tubeRim, tubeScale * kTubeRootFactor);
    const float allowance = ballRounding + tubeRounding + (scale + tubeScale) * kSlabSlack;
    return larger(allowance, kSmallestAllowance);
}
