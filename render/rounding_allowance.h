#pragma once

#include "geometry/point.h"

// How far the shape index widens its boxes, and why that is enough.
//
// The index must let every ray through to every shape whose float hit test could report a hit,
// and a float test rounds: it can report a ray that passes a little outside the shape. Let
// u = 2^-24 be the unit roundoff of float arithmetic and gamma(n) = n u / (1 - n u) the bound on
// the relative error of n rounded operations in a row.
//
// A ball's test forms w = o - m (each component within u of itself: the centre it tests moves by
// at most u S, where S is the distance from the ray's origin o to the centre m), p = d.w,
// q = w.w, k = q - r² and the discriminant p² - |d|² k, each a dot product of three terms or a
// product of two. Each carries gamma(3) or less of the size of its terms, all of them bounded by
// S² or r²; gathered, the test reports a hit only when the line's squared distance from the centre
// is at most r² + 15 u S² to first order, which gamma(16) bounds. A tube's test expands its
// products of absolute x and z coordinates of the origin and the axis, about a dozen roundings
// of terms bounded by T² = (|o.x| + |m.x|)² + (|o.z| + |m.z|)²: its horizontal distance from the
// axis is at most r² + c T² with c = gamma(24). So a shape of kind c reports hits only within
// sqrt(r² + c S²) of its centre or axis, and widening its box by
//     sqrt(r² + c S²) - r,  which is at most c S² / 2r  and at most sqrt(c) S,
// the smaller of the two, lets every such ray through. One widening serves every box of a
// search: the smallest radius of each kind gives the widest bound, the distance from the origin
// to the farthest corner of the box of all the shapes bounds S, and the origin's |x| and |z| plus
// the largest |x| and |z| of a tube's box bound T's terms. Where S or T stands alone, the sum of
// the reaches along the axes bounds it and keeps a square root away.
//
// The slab test itself runs in float. Its subtractions, the allowance's own arithmetic and the
// float inverse shift a widened side by less than 5 u S, and a direction up to kDirectionTolerance
// off unit length moves a reported distance by as much of itself; so every box also gets
// kSlabSlack S, and every factor is carried kConstantMargin larger than its exact value, which
// absorbs its rounding to float and that of the products it enters.
namespace rounding {

constexpr double kUnitRoundoff = 0x1p-24;

constexpr double gamma(int operations) {
    return operations * kUnitRoundoff / (1.0 - operations * kUnitRoundoff);
}

// The square root by Newton's method, for constants: exact to the last bit or two.
constexpr double squareRoot(double value) {
    double root = value > 1.0 ? value : 1.0;
    for (int step = 0; step < 100; ++step) root = 0.5 * (root + value / root);
    return root;
}

// Per squared scale, what a float hit test can add to the squared distance it accepts.
constexpr double kBallRounding = gamma(16);
constexpr double kTubeRounding = gamma(24);
// How far a direction's squared length may be from 1 for the index to answer it: the hit tests
// leave out the division by it. Normalising in float stays within 5.2 u; a direction normalised
// from underflowing components can be farther off, and is answered by testing every shape.
constexpr double kDirectionTolerance = 0x1p-21;
constexpr double kConstantMargin = 0x1p-20;
// Beyond this, squared coordinates near the float range make the argument fail: shapes and rays
// farther out are tested one by one.
constexpr double kLargestIndexedMagnitude = 1e15;
// A tube's test on a ray this nearly vertical (but not exactly) works on underflowing numbers:
// such rays are tested against every shape.
constexpr double kSmallestHorizontalSquare = 1e-20;

constexpr float carried(double factor) {
    return static_cast<float>(factor * (1.0 + kConstantMargin));
}

// sqrt(c), for the bound that does not need a radius.
constexpr float kBallRootFactor = carried(squareRoot(kBallRounding));
constexpr float kTubeRootFactor = carried(squareRoot(kTubeRounding));
// What float slab arithmetic and an off-unit direction need on top, per unit of scale.
constexpr float kSlabSlack = carried(5 * kUnitRoundoff + kDirectionTolerance);
// The least widening, for scenes so small that float products underflow.
constexpr float kSmallestAllowance = 1e-6f;

static_assert(16 * kUnitRoundoff < 1.0 && 24 * kUnitRoundoff < 1.0, "gamma must be finite");
static_assert(kBallRounding < kTubeRounding, "a tube's test rounds more terms than a ball's");
static_assert(squareRoot(4.0) == 2.0 && squareRoot(0x1p-40) == 0x1p-20, "root of constants");
static_assert(kSlabSlack > 5 * kUnitRoundoff + kDirectionTolerance, "slack covers the slab test");

// What the widening needs of a tree's shapes.
struct ShapeReach {
    float bounds[2][3];  // the box of every shape: [0] the low sides, [1] the high sides
    float ballRim;       // c / 2r of the smallest ball; 0 without balls
    float tubeRim;       // the same for tubes
    float tubeReach[2];  // the largest |x| [0] and |z| [1] of a tube's box; kNoTube without tubes
};

// A tubeReach without tubes, far below any origin's, so that it adds nothing.
constexpr float kNoTube = -1e30f;

// c / 2r for the smallest radius, as a float not below it; infinity for a radius of 0, where only
// the bound sqrt(c) S holds.
float rimFactor(double rounding, float radius);

// How far every box of the tree is widened for rays from origin. The distance from the origin to
// the farthest corner of the shapes' box bounds S for every ball, the absolute coordinates bound
// T for every tube, and the smallest radii give the factors: one allowance for the whole search,
// which costs nothing per box.
float allowanceFrom(const Point& origin, const ShapeReach& shapes);

}  // namespace rounding
