#include "render/shape_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "shapes/shape.h"

namespace {

// A hit this far away or farther is never taken.
constexpr float kNoHit = std::numeric_limits<float>::max();
constexpr std::size_t kLeafSize = 4;
constexpr unsigned kCountBits = 3;
constexpr std::uint32_t kCountMask = (1u << kCountBits) - 1;
// Positions from here on stay out of the tree, so that node and member indices fit their fields.
constexpr std::size_t kLargestIndexedCount = std::size_t{1} << 28;
// A float hit test rounds its discriminant by up to about 16 × 2^-24 times the squared scale S² of
// the coordinates involved, so a hit it reports lies within sqrt(r² + c S²) of the centre or axis
// instead of r; c is that bound doubled twice (on random grazing rays the worst seen is 9 × 2^-24).
// S² is the squared distance from the ray's origin to a sphere's centre plus r², or for a tube,
// whose test multiplies absolute coordinates, (|x| + |z| of the origin and of the axis)² plus r².
constexpr double kRoundingPerSquaredScale = 64.0 / (1 << 24);
// The least widening, for scenes so small that float products underflow.
constexpr double kSmallestAllowance = 1e-6;
// Beyond this, squared coordinates near the float range make the rounding argument fail.
constexpr double kLargestIndexedMagnitude = 1e15;
// A cylinder test on a ray this nearly vertical (but not exactly) works on underflowing numbers.
constexpr double kSmallestHorizontalSquare = 1e-20;
// Below this depth splits halve by count, so no tree is deeper than this plus 32.
constexpr int kSurfaceAreaSplitDepth = 48;
constexpr int kStackDepth = kSurfaceAreaSplitDepth + 40;
static_assert(kLeafSize <= kCountMask, "a leaf's count must fit its bits");
constexpr int kBins = 16;

void enclose(std::optional<BoundingBox>& sum, const BoundingBox& box) {
    if (sum) {
        sum->enclose(box);
    } else {
        sum = box;
    }
}

double surfaceArea(const BoundingBox& box) {
    const double x = box.high[0] - box.low[0];
    const double y = box.high[1] - box.low[1];
    const double z = box.high[2] - box.low[2];
    return x * y + y * z + z * x;
}

double square(double x) { return x * x; }

double largestMagnitude(const Point& p) {
    return std::max({std::fabs(double{p.x}), std::fabs(double{p.y}), std::fabs(double{p.z})});
}

double horizontalMagnitude(const Point& p) { return std::fabs(double{p.x}) + std::fabs(double{p.z}); }

float roundedDown(double value) {
    const float f = static_cast<float>(value);
    return f > value ? std::nextafter(f, -std::numeric_limits<float>::infinity()) : f;
}

float roundedUp(double value) {
    const float f = static_cast<float>(value);
    return f < value ? std::nextafter(f, std::numeric_limits<float>::infinity()) : f;
}

// Whether the rounding allowance is known to cover the ray's hit tests.
bool suitsIndex(const Ray& ray) {
    const Vector& d = ray.direction;
    const Point& o = ray.origin;
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z)) return false;
    if (!(largestMagnitude(o) <= kLargestIndexedMagnitude)) return false;
    const double horizontal = double{d.x} * d.x + double{d.z} * d.z;
    const double length = horizontal + double{d.y} * d.y;
    if (length < 0.9 || length > 1.1) return false;
    return horizontal == 0.0 || horizontal >= kSmallestHorizontalSquare;
}

}  // namespace

struct ShapeIndex::Entry {
    std::uint32_t position;
    ShapeBounds bounds;
    double center[3];
};

struct ShapeIndex::RayFrame {
    double origin[3];
    double inverse[3];  // ±infinity along an axis the ray does not move along
    bool backward[3];   // whether the ray runs toward smaller coordinates (a -0 direction does)
    double horizontal;  // |x| + |z| of the origin

    explicit RayFrame(const Ray& ray)
        : origin{ray.origin.x, ray.origin.y, ray.origin.z},
          inverse{1.0 / double{ray.direction.x}, 1.0 / double{ray.direction.y},
                  1.0 / double{ray.direction.z}},
          backward{std::signbit(inverse[0]), std::signbit(inverse[1]), std::signbit(inverse[2])},
          horizontal(horizontalMagnitude(ray.origin)) {}
};

ShapeIndex::ShapeIndex(const ShapeList& shapes) : shapes_(&shapes) {
    std::vector<Entry> entries;
    entries.reserve(shapes.size());
    for (std::size_t position = 0; position < shapes.size(); ++position) {
        const std::optional<ShapeBounds> bounds = shapes[position]->bounds();
        const bool indexable = bounds && bounds->box.isFinite() && std::isfinite(bounds->radius) &&
                               bounds->box.largestMagnitude() <= kLargestIndexedMagnitude &&
                               position < kLargestIndexedCount;
        if (indexable) {
            Entry entry{static_cast<std::uint32_t>(position), *bounds, {}};
            for (int axis = 0; axis < 3; ++axis) entry.center[axis] = bounds->box.centerAlong(axis);
            entries.push_back(entry);
        } else {
            unbounded_.push_back(static_cast<std::uint32_t>(position));
        }
    }
    if (!entries.empty()) {
        nodes_.reserve(2 * (entries.size() / kLeafSize + 1));
        members_.reserve(entries.size());
        nodes_.resize(1);
        build(entries, 0, entries.size(), 0, 0);
    }
}

void ShapeIndex::build(std::vector<Entry>& entries, std::size_t begin, std::size_t end,
                       int depth, std::size_t index) {
    BoundingBox box = entries[begin].bounds.box;
    double centerLow[3] = {entries[begin].center[0], entries[begin].center[1],
                           entries[begin].center[2]};
    double centerHigh[3] = {centerLow[0], centerLow[1], centerLow[2]};
    double smallestRadius = entries[begin].bounds.radius;
    bool horizontal = false;
    for (std::size_t i = begin; i < end; ++i) {
        box.enclose(entries[i].bounds.box);
        smallestRadius = std::min(smallestRadius, entries[i].bounds.radius);
        horizontal = horizontal || entries[i].bounds.roundsWithHorizontalDistanceFromOrigin;
        for (int axis = 0; axis < 3; ++axis) {
            centerLow[axis] = std::min(centerLow[axis], entries[i].center[axis]);
            centerHigh[axis] = std::max(centerHigh[axis], entries[i].center[axis]);
        }
    }
    Node& node = nodes_[index];
    for (int axis = 0; axis < 3; ++axis) {
        node.low[axis] = roundedDown(box.low[axis]);
        node.high[axis] = roundedUp(box.high[axis]);
    }
    // With no radius to spread it over, the allowance falls back to its square-root bound.
    const float rimFactor = smallestRadius > 0.0
                                ? roundedUp(kRoundingPerSquaredScale / (2.0 * smallestRadius))
                                : std::numeric_limits<float>::infinity();
    node.rimFactor = horizontal ? -rimFactor : rimFactor;

    if (end - begin <= kLeafSize) {
        node.firstAndCount = static_cast<std::uint32_t>(members_.size() << kCountBits | (end - begin));
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t position = entries[i].position;
            members_.push_back({(*shapes_)[position].get(), position});
        }
        return;
    }

    int axis = 0;
    for (int a = 1; a < 3; ++a) {
        if (centerHigh[a] - centerLow[a] > centerHigh[axis] - centerLow[axis]) axis = a;
    }
    const std::size_t middle = splitPoint(entries, begin, end, axis, centerLow[axis],
                                          centerHigh[axis], depth);
    const std::size_t children = nodes_.size();
    node.firstAndCount = static_cast<std::uint32_t>(children << kCountBits);
    nodes_.resize(children + 2);
    build(entries, begin, middle, depth + 1, children);
    build(entries, middle, end, depth + 1, children + 1);
}

std::size_t ShapeIndex::splitPoint(std::vector<Entry>& entries, std::size_t begin,
                                   std::size_t end, int axis, double low, double high,
                                   int depth) {
    const auto first = entries.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = entries.begin() + static_cast<std::ptrdiff_t>(end);
    if (depth < kSurfaceAreaSplitDepth && high > low) {
        // Binned surface area heuristic: the cut that least expects a ray to test both sides.
        const double binsPerUnit = kBins / (high - low);
        const auto binOf = [&](const Entry& e) {
            return std::min(kBins - 1, static_cast<int>((e.center[axis] - low) * binsPerUnit));
        };
        std::size_t counts[kBins] = {};
        std::optional<BoundingBox> boxes[kBins];
        for (auto e = first; e != last; ++e) {
            const int bin = binOf(*e);
            ++counts[bin];
            enclose(boxes[bin], e->bounds.box);
        }
        double belowArea[kBins];
        std::size_t belowCount[kBins];
        std::optional<BoundingBox> sweep;
        std::size_t count = 0;
        for (int bin = 0; bin < kBins; ++bin) {
            if (boxes[bin]) enclose(sweep, *boxes[bin]);
            count += counts[bin];
            belowArea[bin] = sweep ? surfaceArea(*sweep) : 0.0;
            belowCount[bin] = count;
        }
        sweep.reset();
        count = 0;
        double bestCost = std::numeric_limits<double>::infinity();
        int bestCut = -1;
        for (int bin = kBins - 1; bin > 0; --bin) {
            if (boxes[bin]) enclose(sweep, *boxes[bin]);
            count += counts[bin];
            if (count == 0 || belowCount[bin - 1] == 0) continue;
            const double cost = belowArea[bin - 1] * static_cast<double>(belowCount[bin - 1]) +
                                surfaceArea(*sweep) * static_cast<double>(count);
            if (cost < bestCost) {
                bestCost = cost;
                bestCut = bin;
            }
        }
        if (bestCut > 0) {
            const auto middle =
                std::partition(first, last, [&](const Entry& e) { return binOf(e) < bestCut; });
            return static_cast<std::size_t>(middle - entries.begin());
        }
    }
    // Halving by count keeps the tree balanced, whatever the shapes' layout.
    const std::size_t middle = begin + (end - begin) / 2;
    std::nth_element(first, entries.begin() + static_cast<std::ptrdiff_t>(middle), last,
                     [axis](const Entry& a, const Entry& b) {
                         return a.center[axis] < b.center[axis] ||
                                (a.center[axis] == b.center[axis] && a.position < b.position);
                     });
    return middle;
}

bool ShapeIndex::mayHit(const Node& node, const RayFrame& frame, double limit, double& enter) {
    double below[3];  // origin minus the box's low side, per axis
    double above[3];  // the box's high side minus origin
    // The farthest point of the box from the origin bounds every member's squared scale.
    double squaredScale = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        below[axis] = frame.origin[axis] - node.low[axis];
        above[axis] = node.high[axis] - frame.origin[axis];
        squaredScale += square(std::max(std::fabs(below[axis]), std::fabs(above[axis])));
    }
    const bool horizontal = std::signbit(node.rimFactor);
    if (horizontal) {
        // A tube's radius is at most half the box's width, which the farthest point covers.
        squaredScale += square(frame.horizontal +
                               std::max(std::fabs(node.low[0]), std::fabs(node.high[0])) +
                               std::max(std::fabs(node.low[2]), std::fabs(node.high[2])));
    }
    // sqrt(r² + x) - r is at most x / 2r and at most sqrt(x); the smaller is taken.
    double allowance = squaredScale * std::fabs(node.rimFactor);
    const double spread = kRoundingPerSquaredScale * squaredScale;
    if (!(allowance * allowance <= spread)) allowance = std::sqrt(spread);
    if (allowance < kSmallestAllowance) allowance = kSmallestAllowance;

    // Slabs as signed distances; an axis the ray does not move along gives ±infinity, or NaN on
    // the slab's very edge, and NaN never narrows the interval.
    double nearest = 0.0;
    double farthest = limit;
    for (int axis = 0; axis < 3; ++axis) {
        const double toLow = -(below[axis] + allowance) * frame.inverse[axis];
        const double toHigh = (above[axis] + allowance) * frame.inverse[axis];
        const double near = frame.backward[axis] ? toHigh : toLow;
        const double far = frame.backward[axis] ? toLow : toHigh;
        nearest = near > nearest ? near : nearest;
        farthest = far < farthest ? far : farthest;
    }
    enter = nearest;
    return nearest <= farthest;
}

bool ShapeIndex::offerTo(Hit& best, const Ray& ray, const Shape& shape, std::size_t position) {
    Point point;
    float distance;
    if (!shape.intersect(ray, point, distance)) return false;
    // Nearer replaces; as near replaces only a shape later in the file.
    const bool better = distance < best.distance ||
                        (best.shape != nullptr && distance == best.distance &&
                         position < best.position);
    if (!better) return false;
    best = {&shape, position, point, distance};
    return true;
}

ShapeIndex::Hit ShapeIndex::nearestByScan(const Ray& ray) const {
    Hit best;
    best.distance = kNoHit;
    for (std::size_t position = 0; position < shapes_->size(); ++position) {
        offerTo(best, ray, *(*shapes_)[position], position);
    }
    return best;
}

template <typename Visit>
bool ShapeIndex::search(const Ray& ray, const float& limit, Visit visit) const {
    for (const std::uint32_t position : unbounded_) {
        if (visit(*(*shapes_)[position], position)) return true;
    }
    const RayFrame frame(ray);
    double enter;
    if (!mayHit(nodes_[0], frame, limit, enter)) return false;
    // Children the ray enters farther away wait here, with where it enters them.
    struct Pending {
        std::uint32_t index;
        double enter;
    };
    Pending stack[kStackDepth];
    int depth = 0;
    std::uint32_t index = 0;
    for (;;) {
        const Node& node = nodes_[index];
        const std::uint32_t count = node.firstAndCount & kCountMask;
        const std::uint32_t first = node.firstAndCount >> kCountBits;
        if (count == 0) {
            double enterFirst;
            double enterSecond;
            const bool hitsFirst = mayHit(nodes_[first], frame, limit, enterFirst);
            const bool hitsSecond = mayHit(nodes_[first + 1], frame, limit, enterSecond);
            if (hitsFirst && hitsSecond) {
                // The nearer child first, so that its hits shrink the limit for the other.
                const bool secondNearer = enterSecond < enterFirst;
                stack[depth++] = secondNearer ? Pending{first, enterFirst}
                                              : Pending{first + 1, enterSecond};
                index = secondNearer ? first + 1 : first;
                continue;
            }
            if (hitsFirst || hitsSecond) {
                index = hitsFirst ? first : first + 1;
                continue;
            }
        } else {
            for (std::uint32_t i = first; i < first + count; ++i) {
                if (visit(*members_[i].shape, members_[i].position)) return true;
            }
        }
        // The limit may have shrunk below where a waiting child begins.
        do {
            if (depth == 0) return false;
            --depth;
        } while (stack[depth].enter > limit);
        index = stack[depth].index;
    }
}

ShapeIndex::Hit ShapeIndex::nearest(const Ray& ray) const {
    if (nodes_.empty() || !suitsIndex(ray)) return nearestByScan(ray);
    Hit best;
    best.distance = kNoHit;
    search(ray, best.distance, [&](const Shape& shape, std::size_t position) {
        offerTo(best, ray, shape, position);
        return false;
    });
    return best;
}

bool ShapeIndex::nearestIs(const Ray& ray, std::size_t position) const {
    if (nodes_.empty() || !suitsIndex(ray)) {
        const Hit hit = nearestByScan(ray);
        return hit.shape != nullptr && hit.position == position;
    }
    Hit target;
    target.distance = kNoHit;
    if (!offerTo(target, ray, *(*shapes_)[position], position)) return false;
    // Any shape that would win against the target answers no: the search stops there.
    return !search(ray, target.distance, [&](const Shape& other, std::size_t otherPosition) {
        Hit contender = target;
        return otherPosition != position && offerTo(contender, ray, other, otherPosition);
    });
}
