#include "render/shape_index.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <typeinfo>

#include "render/huge_pages.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/shape.h"
#include "shapes/sphere.h"

namespace {

constexpr float kFloatInfinity = std::numeric_limits<float>::infinity();
// A hit this far away or farther is never taken.
constexpr float kNoHit = std::numeric_limits<float>::max();
constexpr std::size_t kLeafSize = 4;
// A lane's child: an index shifted past the kind of what it indexes.
constexpr unsigned kKindBits = 2;
constexpr std::uint32_t kKindMask = (1u << kKindBits) - 1;
constexpr std::uint32_t kInnerNode = 0;
constexpr std::uint32_t kBallLeaf = 1;   // in quads_
constexpr std::uint32_t kMixedLeaf = 2;  // in mixedQuads_
// Positions from here on stay out of the tree, so that node and member indices fit their fields.
constexpr std::size_t kLargestIndexedCount = std::size_t{1} << 28;
// How far from 1 the squared length of a float-normalised direction may be (5.2 × 2^-24 is the
// worst seen). The hit tests leave out the division by it, so their distances are off by as much,
// which the boxes' float slack covers; a direction normalised from underflowing components is
// farther off and is answered by testing every shape.
constexpr double kUnitTolerance = 0x1p-21;
// Beyond this, squared coordinates near the float range make the rounding argument fail.
constexpr double kLargestIndexedMagnitude = 1e15;
// A cylinder test on a ray this nearly vertical (but not exactly) works on underflowing numbers.
constexpr double kSmallestHorizontalSquare = 1e-20;
// Below this depth splits halve by count, so no tree is deeper than this plus 32.
constexpr int kSurfaceAreaSplitDepth = 48;
// Every level of nodes splits at least once, and leaves up to three lanes waiting.
constexpr int kStackDepth = 3 * (kSurfaceAreaSplitDepth + 40) + 1;
static_assert(kLeafSize <= WideNode::kLanes, "a leaf must fit a quad");
constexpr int kBins = 16;

// A box of float sides while the tree is built; empty until it encloses something. Each side has
// a fourth lane that rides along unused, so that a side is one vector to the compiler: binning
// encloses a box for every entry at every level, and as scalars that dominated the build.
struct Extent {
    float low[4] = {kFloatInfinity, kFloatInfinity, kFloatInfinity, kFloatInfinity};
    float high[4] = {-kFloatInfinity, -kFloatInfinity, -kFloatInfinity, -kFloatInfinity};

#if defined(__SSE2__)
    void enclose(__m128 otherLow, __m128 otherHigh) {
        _mm_storeu_ps(low, _mm_min_ps(otherLow, _mm_loadu_ps(low)));
        _mm_storeu_ps(high, _mm_max_ps(otherHigh, _mm_loadu_ps(high)));
    }
    void enclose(const Extent& other) {
        enclose(_mm_loadu_ps(other.low), _mm_loadu_ps(other.high));
    }
#else
    void enclose(const float otherLow[], const float otherHigh[]) {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], otherLow[axis]);
            high[axis] = std::max(high[axis], otherHigh[axis]);
        }
    }
    void enclose(const Extent& other) { enclose(other.low, other.high); }
#endif
    double surfaceArea() const {
        const double x = double{high[0]} - low[0];
        const double y = double{high[1]} - low[1];
        const double z = double{high[2]} - low[2];
        return x * y + y * z + z * x;
    }
    // The same in float, enough to weigh one cut against another.
    float roughSurfaceArea() const {
#if defined(__SSE2__)
        const __m128 size = _mm_sub_ps(_mm_loadu_ps(high), _mm_loadu_ps(low));
        const __m128 products =
            _mm_mul_ps(size, _mm_shuffle_ps(size, size, _MM_SHUFFLE(3, 0, 2, 1)));
        const __m128 xyPlusYz =
            _mm_add_ss(products, _mm_shuffle_ps(products, products, _MM_SHUFFLE(1, 1, 1, 1)));
        return _mm_cvtss_f32(_mm_add_ss(xyPlusYz, _mm_movehl_ps(products, products)));
#else
        const float x = high[0] - low[0];
        const float y = high[1] - low[1];
        const float z = high[2] - low[2];
        return x * y + y * z + z * x;
#endif
    }
};

double largestMagnitude(const Point& p) {
    return std::max({std::fabs(double{p.x}), std::fabs(double{p.y}), std::fabs(double{p.z})});
}

// The next float above a finite one: std::nextafter without the call, which every side of every
// box pays for.
float stepUp(float value) {
    if (value == 0.0f) return std::numeric_limits<float>::denorm_min();
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = value > 0.0f ? bits + 1 : bits - 1;
    std::memcpy(&value, &bits, sizeof bits);
    return value;
}

float stepDown(float value) { return -stepUp(-value); }

float roundedUp(double value) {
    const float f = static_cast<float>(value);
    return f < value ? stepUp(f) : f;
}

// The largest float strictly below value, and the smallest strictly above it: the same as rounding
// the next double down (or up) outward, without stepping the double.
float floatBelow(double value) {
    const float f = static_cast<float>(value);
    return f < value ? f : stepDown(f);
}

float floatAbove(double value) {
    const float f = static_cast<float>(value);
    return f > value ? f : stepUp(f);
}

// Whether the rounding allowance is known to cover the ray's hit tests.
bool suitsIndex(const Ray& ray) {
    const Vector& d = ray.direction;
    const Point& o = ray.origin;
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z)) return false;
    if (!(largestMagnitude(o) <= kLargestIndexedMagnitude)) return false;
    const double horizontal = double{d.x} * d.x + double{d.z} * d.z;
    const double squaredLength = horizontal + double{d.y} * d.y;
    if (!(std::fabs(squaredLength - 1.0) <= kUnitTolerance)) return false;
    return horizontal == 0.0 || horizontal >= kSmallestHorizontalSquare;
}

}  // namespace

// A bounded shape's box rounded outward to float, as splitting reads and reorders it: 28 bytes,
// where the shapes' members would move twice as much at every level. Four floats read from low end
// in high[0] and four from high in entry, so that neither reaches past the ref.
struct ShapeIndex::Ref {
    float low[3];
    float high[3];
    std::uint32_t entry;  // where in the members; ordered as the file order is

    Ref(std::uint32_t entry, const BoundingBox& box) : entry(entry) {
        for (int axis = 0; axis < 3; ++axis) {
            // A side formed in double is within half a double step of the true one (a radius far
            // below the centre's magnitude can vanish in it), so a float strictly beyond it bounds
            // it.
            low[axis] = floatBelow(box.low[axis]);
            high[axis] = floatAbove(box.high[axis]);
        }
    }

    // Twice the box's centre, which orders entries as the centre does.
    float center(int axis) const { return low[axis] + high[axis]; }
};

// What splitting needs of the refs begin..end: their box and the box of their centres.
struct ShapeIndex::Summary {
    Extent box;
    Extent centers;

    Summary() = default;
    Summary(const std::vector<Ref>& refs, std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) add(refs[i]);
    }

    void add(const Ref& ref) {
#if defined(__SSE2__)
        const __m128 low = _mm_loadu_ps(ref.low);
        // The entry's bits would be a slow subnormal in the fourth lane.
        const __m128 high =
            _mm_and_ps(_mm_loadu_ps(ref.high), _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1)));
        const __m128 center = _mm_add_ps(low, high);
        box.enclose(low, high);
        centers.enclose(center, center);
#else
        box.enclose(ref.low, ref.high);
        const float center[3] = {ref.center(0), ref.center(1), ref.center(2)};
        centers.enclose(center, center);
#endif
    }
    void add(const Summary& other) {
        box.enclose(other.box);
        centers.enclose(other.centers);
    }

    int widestCenterAxis() const {
        int axis = 0;
        for (int a = 1; a < 3; ++a) {
            if (centers.high[a] - centers.low[a] > centers.high[axis] - centers.low[axis]) {
                axis = a;
            }
        }
        return axis;
    }
};

// The tree's working state while it is built.
struct ShapeIndex::Building {
    // The bounded shapes in file order, taken as the shapes are read so that making leaves reads
    // no shape again.
    std::vector<Member> members;
    std::vector<Ref> refs;  // their boxes, reordered part by part as the tree splits them
};

// What a lane's allowance needs of the shapes under it.
struct ShapeIndex::Rounding {
    // The larger the ball or tube, the less rounding moves a reported hit off it.
    float smallestRadius = kFloatInfinity;
    // A tube's test expands products of absolute x and z coordinates, so its rounding grows with
    // the distance from the scene origin as well as from the ray's.
    bool tube = false;

    void add(const Member& member) {
        smallestRadius = std::min(smallestRadius, std::fabs(member.radius));
        tube = tube || member.kind == Member::Kind::tube;
    }
    void add(const Rounding& other) {
        smallestRadius = std::min(smallestRadius, other.smallestRadius);
        tube = tube || other.tube;
    }

    // c / 2r of the smallest radius, rounded up. With no radius to spread it over, the allowance
    // falls back to its square-root bound.
    float rimFactor() const {
        return smallestRadius > 0.0f
                   ? roundedUp(wide_node::kRoundingPerSquaredScale / (2.0 * double{smallestRadius}))
                   : std::numeric_limits<float>::infinity();
    }
};

namespace {

// The refs of a range that are on the wrong side of a cut, found a block at a time.
template <typename Iterator>
class Misfits {
public:
    Misfits(Iterator first, Iterator last) : next_(first), last_(last) {}

    bool exhausted() const { return taken_ == found_; }

    // Lists the misfits of the next block; false when the range is done.
    template <typename IsMisfit>
    bool scan(IsMisfit isMisfit) {
        taken_ = found_ = 0;
        base_ = next_;
        const auto size = std::min<std::ptrdiff_t>(kBlock, last_ - next_);
        for (std::ptrdiff_t i = 0; i < size; ++i) {
            offsets_[found_] = static_cast<std::uint8_t>(i);
            found_ += isMisfit(next_[i]);
        }
        next_ += size;
        return size > 0;
    }

    // Swaps as many misfits as both lists hold.
    void swapWith(Misfits& other) {
        const int pairs = std::min(found_ - taken_, other.found_ - other.taken_);
        for (int i = 0; i < pairs; ++i) {
            std::swap(base_[offsets_[taken_ + i]], other.base_[other.offsets_[other.taken_ + i]]);
        }
        taken_ += pairs;
        other.taken_ += pairs;
    }

private:
    static constexpr int kBlock = 128;
    Iterator next_;
    Iterator last_;
    Iterator base_;
    std::uint8_t offsets_[kBlock];
    int taken_ = 0;
    int found_ = 0;
};

}  // namespace

struct ShapeIndex::Split {
    std::size_t middle;
    Summary below;
    Summary above;
};

thread_local ShapeIndex::Occluder ShapeIndex::occluders_[kOccluderSlots];

namespace {

std::atomic<std::uint64_t> lastSerial{0};

bool samePoint(const Point& a, const Point& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::size_t slotOf(const Point& origin, std::size_t slots) {
    std::uint32_t bits[3];
    std::memcpy(bits, &origin, sizeof bits);
    return (bits[0] ^ bits[1] * 31u ^ bits[2] * 961u) % slots;
}

}  // namespace

ShapeIndex::ShapeIndex(const ShapeList& shapes) : shapes_(&shapes), serial_(++lastSerial) {
    Building building;
    building.members.reserve(shapes.size());
    building.refs.reserve(shapes.size());
    for (std::size_t position = 0; position < shapes.size(); ++position) {
        const Member member(*shapes[position], static_cast<std::uint32_t>(position));
        const std::optional<BoundingBox> box = shapes[position]->bounds();
        // Only balls' and tubes' rounding is known, to widen their boxes by.
        const bool rounded = member.kind == Member::Kind::ball || member.kind == Member::Kind::tube;
        const bool indexable = box && rounded && box->isFinite() &&
                               box->largestMagnitude() <= kLargestIndexedMagnitude &&
                               position < kLargestIndexedCount;
        if (indexable) {
            building.refs.emplace_back(static_cast<std::uint32_t>(building.members.size()), *box);
            building.members.push_back(member);
        } else {
            unbounded_.push_back(member);
        }
    }
    const std::size_t count = building.members.size();
    if (count <= kLeafSize) {
        // So few are tested faster one by one than through a node.
        unbounded_.clear();
        for (std::size_t position = 0; position < shapes.size(); ++position) {
            unbounded_.emplace_back(*shapes[position], static_cast<std::uint32_t>(position));
        }
    } else {
        nodes_.reserve(count / kLeafSize + 1);
        // Only what is used becomes resident, and nothing is copied while the tree grows.
        quads_.reserve(count);
        quadPositions_.reserve(count);
        mixedQuads_.reserve(count);
        adviseHugePages(nodes_);
        adviseHugePages(quads_);
        adviseHugePages(quadPositions_);
        adviseHugePages(mixedQuads_);
        nodes_.resize(1);
        build(building, 0, count, 0, Summary(building.refs, 0, count), 0);
    }
}

ShapeIndex::Rounding ShapeIndex::build(Building& building, std::size_t begin, std::size_t end,
                                       int depth, const Summary& summary, std::size_t index) {
    struct Part {
        std::size_t begin;
        std::size_t end;
        int depth;
        Summary summary;
    };
    Part parts[WideNode::kLanes];
    std::size_t partCount = 1;
    parts[0] = {begin, end, depth, summary};
    // Split the part of largest surface area until the lanes are full or no part can split.
    while (partCount < WideNode::kLanes) {
        std::size_t widest = partCount;
        for (std::size_t i = 0; i < partCount; ++i) {
            if (parts[i].end - parts[i].begin <= kLeafSize) continue;
            if (widest == partCount ||
                parts[i].summary.box.surfaceArea() > parts[widest].summary.box.surfaceArea()) {
                widest = i;
            }
        }
        if (widest == partCount) break;
        const Part part = parts[widest];
        const int axis = part.summary.widestCenterAxis();
        const Split split =
            splitPoint(building.refs, part.begin, part.end, axis, part.summary.centers.low[axis],
                       part.summary.centers.high[axis], part.depth);
        parts[widest] = {part.begin, split.middle, part.depth + 1, split.below};
        parts[partCount++] = {split.middle, part.end, part.depth + 1, split.above};
    }

    // Leaves read their members in an order unrelated to the file's: ask for all of them at once,
    // rather than wait for each in turn.
    for (std::size_t lane = 0; lane < partCount; ++lane) {
        const Part& part = parts[lane];
        if (part.end - part.begin > kLeafSize) continue;
        for (std::size_t i = part.begin; i < part.end; ++i) {
            __builtin_prefetch(&building.members[building.refs[i].entry]);
        }
    }
    WideNode node{};
    node.laneCount = static_cast<std::uint32_t>(partCount);
    for (std::size_t lane = 0; lane < partCount; ++lane) {
        const Part& part = parts[lane];
        for (int axis = 0; axis < 3; ++axis) {
            node.side[0][axis][lane] = part.summary.box.low[axis];
            node.side[1][axis][lane] = part.summary.box.high[axis];
        }
        if (part.end - part.begin <= kLeafSize) {
            node.child[lane] = addLeaf(building, part.begin, part.end);
        } else {
            node.child[lane] = static_cast<std::uint32_t>(nodes_.size() << kKindBits | kInnerNode);
            nodes_.emplace_back();
        }
    }
    // The node's allowance needs what lies under its lanes, known once the nodes below are built.
    Rounding all;
    node.tubeReach[0] = node.tubeReach[1] = wide_node::kNoTube;
    for (std::size_t lane = 0; lane < partCount; ++lane) {
        const Part& part = parts[lane];
        Rounding rounding;
        if (part.end - part.begin <= kLeafSize) {
            for (std::size_t i = part.begin; i < part.end; ++i) {
                rounding.add(building.members[building.refs[i].entry]);
            }
        } else {
            rounding = build(building, part.begin, part.end, part.depth, part.summary,
                             node.child[lane] >> kKindBits);
        }
        // A tube's centre lies inside its lane's box.
        for (int horizontal = 0; rounding.tube && horizontal < 2; ++horizontal) {
            const int axis = 2 * horizontal;  // x, then z
            node.tubeReach[horizontal] =
                std::max({node.tubeReach[horizontal], std::fabs(part.summary.box.low[axis]),
                          std::fabs(part.summary.box.high[axis])});
        }
        all.add(rounding);
    }
    node.rimFactor = all.rimFactor();
    nodes_[index] = node;
    return all;
}

std::uint32_t ShapeIndex::addLeaf(const Building& building, std::size_t begin, std::size_t end) {
    const auto memberAt = [&](std::size_t lane) -> const Member& {
        return building.members[building.refs[begin + lane].entry];
    };
    // Lanes past the leaf's shapes are balls with a NaN centre, which no ray hits.
    const auto fill = [&](auto& quad, std::uint32_t positions[]) {
        const float none = std::numeric_limits<float>::quiet_NaN();
        for (std::size_t lane = 0; lane < WideNode::kLanes; ++lane) {
            const Member* member = begin + lane < end ? &memberAt(lane) : nullptr;
            quad.centerX[lane] = member != nullptr ? member->center.x : none;
            quad.centerY[lane] = member != nullptr ? member->center.y : none;
            quad.centerZ[lane] = member != nullptr ? member->center.z : none;
            quad.radius[lane] = member != nullptr ? member->radius : 0.0f;
            positions[lane] = member != nullptr ? member->position : 0;
        }
    };
    unsigned tubes = 0;
    for (std::size_t lane = 0; begin + lane < end; ++lane) {
        if (memberAt(lane).kind == Member::Kind::tube) tubes |= 1u << lane;
    }
    if (tubes == 0) {
        BallQuad quad;
        std::array<std::uint32_t, WideNode::kLanes> positions;
        fill(quad, positions.data());
        quads_.push_back(quad);
        quadPositions_.push_back(positions);
        return static_cast<std::uint32_t>((quads_.size() - 1) << kKindBits | kBallLeaf);
    }
    MixedQuad quad{};
    fill(quad, quad.position);
    quad.tubes = tubes;
    for (std::size_t lane = 0; begin + lane < end; ++lane) {
        quad.height[lane] = memberAt(lane).height;
    }
    mixedQuads_.push_back(quad);
    return static_cast<std::uint32_t>((mixedQuads_.size() - 1) << kKindBits | kMixedLeaf);
}

ShapeIndex::Split ShapeIndex::splitPoint(std::vector<Ref>& refs, std::size_t begin, std::size_t end,
                                         int axis, float low, float high, int depth) {
    const auto first = refs.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = refs.begin() + static_cast<std::ptrdiff_t>(end);
    // A small part gets about a bin per entry: more would only cost time.
    const int binCount = static_cast<int>(std::min<std::size_t>(kBins, end - begin));
    // Not finite only for centres closer than any normal float, which halving handles.
    const float binsPerUnit = static_cast<float>(binCount) / (high - low);
    if (depth < kSurfaceAreaSplitDepth && high > low && std::isfinite(binsPerUnit)) {
        // Binned surface area heuristic: the cut that least expects a ray to test both sides.
        const auto binOf = [&](const Ref& ref) {
            return std::min(binCount - 1, static_cast<int>((ref.center(axis) - low) * binsPerUnit));
        };
        std::size_t counts[kBins] = {};
        Summary bins[kBins];
        for (auto ref = first; ref != last; ++ref) {
            const int bin = binOf(*ref);
            ++counts[bin];
            bins[bin].add(*ref);
        }
        // The cost's part below each cut, then the cut of least cost swept from above.
        double belowCost[kBins];
        std::size_t belowCount[kBins];
        Extent box;
        std::size_t count = 0;
        for (int bin = 1; bin < binCount; ++bin) {
            box.enclose(bins[bin - 1].box);
            count += counts[bin - 1];
            belowCount[bin] = count;
            belowCost[bin] = double{box.roughSurfaceArea()} * static_cast<double>(count);
        }
        box = Extent();
        count = 0;
        double bestCost = std::numeric_limits<double>::infinity();
        int bestCut = -1;
        for (int bin = binCount - 1; bin > 0; --bin) {
            box.enclose(bins[bin].box);
            count += counts[bin];
            if (count == 0 || belowCount[bin] == 0) continue;
            const double cost =
                belowCost[bin] + double{box.roughSurfaceArea()} * static_cast<double>(count);
            if (cost < bestCost) {
                bestCost = cost;
                bestCut = bin;
            }
        }
        if (bestCut > 0) {
            Split split;
            for (int bin = 0; bin < binCount; ++bin) {
                (bin < bestCut ? split.below : split.above).add(bins[bin]);
            }
            // The count below the cut is known, and the same arithmetic puts each ref in the same
            // bin again: the refs in front of the middle that belong above the cut are as many as
            // those behind it that belong below, and they swap in pairs. Each side is scanned a
            // block at a time into a list of misfits, with no branch on which side a ref belongs
            // to, a coin toss the processor would mostly lose.
            const auto middle = first + static_cast<std::ptrdiff_t>(belowCount[bestCut]);
            const auto belongsAbove = [&](const Ref& ref) { return binOf(ref) >= bestCut; };
            const auto belongsBelow = [&](const Ref& ref) { return binOf(ref) < bestCut; };
            Misfits front(first, middle);
            Misfits back(middle, last);
            while ((!front.exhausted() || front.scan(belongsAbove)) &&
                   (!back.exhausted() || back.scan(belongsBelow))) {
                front.swapWith(back);
            }
            split.middle = static_cast<std::size_t>(middle - refs.begin());
            return split;
        }
    }
    // Halving by count keeps the tree balanced, whatever the shapes' layout.
    const std::size_t middle = begin + (end - begin) / 2;
    std::nth_element(first, refs.begin() + static_cast<std::ptrdiff_t>(middle), last,
                     [axis](const Ref& a, const Ref& b) {
                         return a.center(axis) < b.center(axis) ||
                                (a.center(axis) == b.center(axis) && a.entry < b.entry);
                     });
    return {middle, Summary(refs, begin, middle), Summary(refs, middle, end)};
}

ShapeIndex::Member::Member(const Shape& shape, std::uint32_t position)
    : radius(0.0f), height(0.0f), position(position), kind(Kind::other) {
    // Exact types only: a kind derived from them may test hits its own way.
    if (typeid(shape) == typeid(Sphere)) {
        const auto& ball = static_cast<const Sphere&>(shape);
        center = ball.center;
        radius = ball.radius;
        kind = Kind::ball;
    } else if (typeid(shape) == typeid(Cylinder)) {
        const auto& tube = static_cast<const Cylinder&>(shape);
        center = tube.center;
        radius = tube.radius;
        height = tube.height;
        kind = Kind::tube;
    } else if (typeid(shape) == typeid(Plane)) {
        const auto& plane = static_cast<const Plane&>(shape);
        center = Point(plane.a, plane.b, plane.c);
        radius = plane.d;
        kind = Kind::plane;
    }
}

bool ShapeIndex::Member::intersect(const ShapeList& shapes, const Ray& ray, Point& hitPoint,
                                   float& t) const {
    switch (kind) {
        case Kind::ball:
            return intersectBall(center, radius, ray, hitPoint, t);
        case Kind::tube:
            return intersectTube(center, radius, height, ray, hitPoint, t);
        case Kind::plane:
            return intersectPlane(center.x, center.y, center.z, radius, ray, hitPoint, t);
        case Kind::other:
            break;
    }
    return shapes[position]->intersect(ray, hitPoint, t);
}

bool ShapeIndex::beats(float distance, std::size_t position, const Hit& best) {
    // Nearer replaces; as near replaces only a shape later in the file.
    return distance < best.distance ||
           (best.shape != nullptr && distance == best.distance && position < best.position);
}

void ShapeIndex::offerTo(Hit& best, const Ray& ray, const Member& member) const {
    Point point;
    float distance;
    if (member.intersect(*shapes_, ray, point, distance) &&
        beats(distance, member.position, best)) {
        best = {(*shapes_)[member.position].get(), member.position, point, distance};
    }
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

template <typename Visit, typename VisitHit>
bool ShapeIndex::search(const Ray& ray, const float& limit, Visit visit, VisitHit visitHit) const {
    for (const Member& member : unbounded_) {
        if (visit(member)) return true;
    }
    if (nodes_.empty()) return false;
    const RayLanes lanes(ray);
    // Lanes the ray enters farther away wait here, with where it enters them.
    struct Pending {
        std::uint32_t child;
        float enter;
    };
    Pending stack[kStackDepth];
    int depth = 0;
    std::uint32_t node = 0;
    for (;;) {
        float enter[WideNode::kLanes];
        unsigned met = wide_node::meetLanes(nodes_[node], lanes, limit, enter);
        // Pushed farthest first, so that the nearest lane is taken next and its hits shrink the
        // limit for the others.
        const int pushedFrom = depth;
        while (met != 0) {
            const int lane = __builtin_ctz(met);
            met &= met - 1;
            Pending pending{nodes_[node].child[lane], enter[lane]};
            int slot = depth++;
            while (slot > pushedFrom && stack[slot - 1].enter < pending.enter) {
                stack[slot] = stack[slot - 1];
                --slot;
            }
            stack[slot] = pending;
        }
        for (;;) {
            if (depth == 0) return false;
            const Pending next = stack[--depth];
            // The limit may have shrunk below where a waiting lane begins.
            if (next.enter > limit) continue;
            const std::uint32_t kind = next.child & kKindMask;
            const std::uint32_t at = next.child >> kKindBits;
            if (kind == kInnerNode) {
                node = at;
                break;
            }
            float distance[WideNode::kLanes];
            const bool balls = kind == kBallLeaf;
            unsigned hits = balls ? ball_quad::hits(quads_[at], ray, lanes, distance)
                                  : mixed_quad::hits(mixedQuads_[at], ray, lanes, distance);
            const std::uint32_t* positions =
                balls ? quadPositions_[at].data() : mixedQuads_[at].position;
            while (hits != 0) {
                const int lane = __builtin_ctz(hits);
                hits &= hits - 1;
                if (visitHit(positions[lane], distance[lane])) return true;
            }
        }
    }
}

ShapeIndex::Hit ShapeIndex::nearest(const Ray& ray) const {
    if (!nodes_.empty() && !suitsIndex(ray)) return nearestByScan(ray);
    Hit best;
    best.distance = kNoHit;
    search(
        ray, best.distance,
        [&](const Member& member) {
            offerTo(best, ray, member);
            return false;
        },
        [&](std::size_t position, float distance) {
            if (beats(distance, position, best)) {
                best = {(*shapes_)[position].get(), position, ray.pointAt(distance), distance};
            }
            return false;
        });
    return best;
}

bool ShapeIndex::nearestIs(const Ray& ray, std::size_t position) const {
    if (!nodes_.empty() && !suitsIndex(ray)) {
        const Hit hit = nearestByScan(ray);
        return hit.shape != nullptr && hit.position == position;
    }
    Hit target;
    target.shape = (*shapes_)[position].get();
    target.position = position;
    const bool met = target.shape->intersect(ray, target.point, target.distance);
    if (!met || !(target.distance < kNoHit)) return false;

    Occluder& last = occluders_[slotOf(ray.origin, kOccluderSlots)];
    if (last.index == serial_ && samePoint(last.origin, ray.origin) && last.position != position) {
        Point point;
        float distance;
        if ((*shapes_)[last.position]->intersect(ray, point, distance) &&
            beats(distance, last.position, target)) {
            return false;
        }
    }
    // Any shape that would win against the target answers no: the search stops there.
    std::size_t occluder = 0;
    const auto stops = [&](std::size_t other, float distance) {
        if (other == position || !beats(distance, other, target)) return false;
        occluder = other;
        return true;
    };
    const bool blocked = search(
        ray, target.distance,
        [&](const Member& other) {
            Point point;
            float distance;
            return other.intersect(*shapes_, ray, point, distance) &&
                   stops(other.position, distance);
        },
        stops);
    if (blocked) last = {serial_, ray.origin, occluder};
    return !blocked;
}
