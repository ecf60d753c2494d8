#include "render/shape_index.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <utility>
#include <variant>

#include "render/index_builder.h"
#include "render/indexed_shape.h"
#include "render/rounding_allowance.h"
#include "render/tree_search.h"
#include "shapes/shape.h"

namespace {

#if defined(__x86_64__)
using AnyWideTree = std::variant<WideTree<4>, WideTree<8>>;
#else
using AnyWideTree = std::variant<WideTree<4>>;
#endif

// Whether the rounding allowance is known to cover the ray's hit tests.
bool suitsTree(const Ray& ray) {
    // A direction that is not finite fails the unit length below.
    const Vector& d = ray.direction;
    const Point& o = ray.origin;
    const auto near = [](float coordinate) {
        return std::fabs(double{coordinate}) <= rounding::kLargestIndexedMagnitude;
    };
    if (!near(o.x) || !near(o.y) || !near(o.z)) return false;
    const double horizontal = double{d.x} * d.x + double{d.z} * d.z;
    const double squaredLength = horizontal + double{d.y} * d.y;
    if (!(std::fabs(squaredLength - 1.0) <= rounding::kDirectionTolerance)) return false;
    return horizontal == 0.0 || horizontal >= rounding::kSmallestHorizontalSquare;
}

// The shape that last stopped a shadow ray from one origin, on this thread: rays from a light
// toward neighbouring points are mostly stopped by the same shape, which is then tried first.
struct Occluder {
    std::uint64_t index = 0;  // the index's serial number; 0 for none
    Point origin;
    std::size_t position = 0;
};
constexpr std::size_t kOccluderSlots = 8;
thread_local Occluder occluders[kOccluderSlots];
std::atomic<std::uint64_t> lastSerial{0};

Occluder& occluderFrom(const Point& origin) {
    std::uint32_t bits[3];
    std::memcpy(bits, &origin, sizeof bits);
    return occluders[(bits[0] ^ bits[1] * 31u ^ bits[2] * 961u) % kOccluderSlots];
}

bool samePoint(const Point& a, const Point& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

struct ShapeIndex::Tree {
    AnyWideTree wide;
};

ShapeIndex::ShapeIndex(const ShapeList& shapes, int lanes)
    : shapes_(&shapes), serial_(++lastSerial) {
    // Reserved whole: growing would hold two copies at once.
    std::vector<IndexedShape> bounded;
    bounded.reserve(shapes.size());
    for (std::size_t position = 0; position < shapes.size(); ++position) {
        const IndexedShape shape(*shapes[position], static_cast<std::uint32_t>(position));
        const std::optional<BoundingBox> box = shapes[position]->bounds();
        // Only balls' and tubes' rounding is known, to widen their boxes by.
        const bool rounded =
            shape.kind == IndexedShape::Kind::ball || shape.kind == IndexedShape::Kind::tube;
        if (box && rounded && box->isFinite() &&
            box->largestMagnitude() <= rounding::kLargestIndexedMagnitude &&
            position < kLargestIndexedCount) {
            bounded.push_back(shape);
        } else {
            unbounded_.push_back(shape);
        }
    }
    // So few are tested faster one by one than through a tree.
    if (bounded.size() <= static_cast<std::size_t>(lanes)) {
        unbounded_.clear();
        for (std::size_t position = 0; position < shapes.size(); ++position) {
            unbounded_.emplace_back(*shapes[position], static_cast<std::uint32_t>(position));
        }
        return;
    }
#if defined(__x86_64__)
    if (lanes == 8) {
        tree_ = std::make_unique<const Tree>(Tree{buildWideTree<8>(shapes, bounded)});
        return;
    }
#endif
    tree_ = std::make_unique<const Tree>(Tree{buildWideTree<4>(shapes, bounded)});
}

ShapeIndex::ShapeIndex(const ShapeIndex& other)
    : shapes_(other.shapes_),
      serial_(++lastSerial),
      unbounded_(other.unbounded_),
      tree_(other.tree_ ? std::make_unique<const Tree>(*other.tree_) : nullptr) {}

ShapeIndex::~ShapeIndex() = default;

int ShapeIndex::widestLanes() {
#if defined(__x86_64__)
    static const int lanes = __builtin_cpu_supports("avx2") ? 8 : 4;
    return lanes;
#else
    return 4;
#endif
}

ShapeIndex::Hit ShapeIndex::nearestByScan(const Ray& ray) const {
    Hit best;
    best.distance = kNoHit;
    for (std::size_t position = 0; position < shapes_->size(); ++position) {
        const Shape& shape = *(*shapes_)[position];
        Point point;
        float distance;
        // In file order, so only a nearer hit replaces.
        if (shape.intersect(ray, point, distance) && distance < best.distance) {
            best = {&shape, position, point, distance};
        }
    }
    return best;
}

ShapeIndex::Hit ShapeIndex::nearest(const Ray& ray) const {
    if (tree_ && !suitsTree(ray)) return nearestByScan(ray);
    Candidate best;
    for (const IndexedShape& shape : unbounded_) {
        Point point;
        float distance;
        if (shape.intersect(*shapes_, ray, point, distance) &&
            best.beatenBy(distance, shape.position)) {
            best = {true, shape.position, distance, point};
        }
    }
    if (tree_) std::visit([&](const auto& tree) { nearestInTree(tree, ray, best); }, tree_->wide);
    if (!best.found) return {nullptr, 0, Point(), kNoHit};
    return {(*shapes_)[best.position].get(), best.position, best.point, best.distance};
}

bool ShapeIndex::nearestIs(const Ray& ray, std::size_t position) const {
    if (tree_ && !suitsTree(ray)) {
        const Hit hit = nearestByScan(ray);
        return hit.shape != nullptr && hit.position == position;
    }
    Candidate target;
    target.position = position;
    target.found = (*shapes_)[position]->intersect(ray, target.point, target.distance);
    if (!target.found || !(target.distance < kNoHit)) return false;

    Occluder& last = occluderFrom(ray.origin);
    if (last.index == serial_ && samePoint(last.origin, ray.origin) && last.position != position) {
        Point point;
        float distance;
        if ((*shapes_)[last.position]->intersect(ray, point, distance) &&
            target.beatenBy(distance, last.position)) {
            return false;
        }
    }
    // Any shape that would win against the target answers no: the search stops there.
    std::size_t occluder = 0;
    bool blocked = false;
    for (const IndexedShape& other : unbounded_) {
        Point point;
        float distance;
        if (other.position != position && other.intersect(*shapes_, ray, point, distance) &&
            target.beatenBy(distance, other.position)) {
            occluder = other.position;
            blocked = true;
            break;
        }
    }
    if (!blocked && tree_) {
        blocked =
            std::visit([&](const auto& tree) { return blockedInTree(tree, ray, target, occluder); },
                       tree_->wide);
    }
    if (blocked) last = {serial_, ray.origin, occluder};
    return !blocked;
}
