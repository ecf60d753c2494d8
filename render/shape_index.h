#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/point.h"
#include "geometry/ray.h"
#include "render/ball_quad.h"
#include "render/mixed_quad.h"
#include "render/wide_node.h"

class Shape;

using ShapeList = std::vector<std::unique_ptr<Shape>>;

// The scene's shapes in file order, with a bounding volume hierarchy over those of finite bounds
// so that a ray tests only the shapes near it. Every answer is the one testing each shape in file
// order would give: candidates go through the shapes' own hit tests, the nearest hit is the
// smallest distance with ties to the shape earlier in the file, and boxes are widened to let
// through every ray the float hit tests could report.
class ShapeIndex {
public:
    struct Hit {
        const Shape* shape = nullptr;  // none on a miss
        std::size_t position = 0;      // the shape's place in the file order
        Point point;
        float distance = 0.0f;
    };

    // Keeps a reference to shapes, which must outlive the index and stay unchanged.
    ShapeIndex(const ShapeList& shapes);  // NOLINT(google-explicit-constructor): a list is an index

    const ShapeList& shapes() const { return *shapes_; }

    // The nearest shape along the ray; a hit at the largest float distance or beyond is no hit.
    Hit nearest(const Ray& ray) const;
    // Whether the nearest shape along the ray is the one at position in the file order.
    bool nearestIs(const Ray& ray, std::size_t position) const;

private:
    // A shape as the search tests it: balls, tubes and planes by their geometry, read without
    // going through the shape, and any other shape through its own hit test. A plane keeps its
    // a, b, c in center and its d in radius.
    struct Member {
        enum class Kind : std::uint8_t { ball, tube, plane, other };

        Point center;
        float radius;
        float height;
        // In the file order. Thirty bits reach past any scene that fits in memory and keep a
        // member at 24 bytes, of which the tree holds one per shape while it is built.
        std::uint32_t position : 30;
        Kind kind : 2;

        Member(const Shape& shape, std::uint32_t position);
        // shapes: the list the member's position is in.
        bool intersect(const ShapeList& shapes, const Ray& ray, Point& hitPoint, float& t) const;
    };
    struct Ref;
    struct Summary;
    struct Building;
    struct Rounding;
    // The shape that last stopped a shadow ray from one origin, on this thread: rays from a light
    // toward neighbouring points are mostly stopped by the same shape, which is then tried first.
    struct Occluder {
        std::uint64_t index = 0;  // the index's serial number; 0 for none
        Point origin;
        std::size_t position = 0;
    };
    static constexpr std::size_t kOccluderSlots = 8;

    // Fills nodes_[index] with up to four lanes over the refs begin..end (summed up in summary),
    // split depth times already, and builds the nodes under it; returns what the allowance of a
    // lane over them needs.
    Rounding build(Building& building, std::size_t begin, std::size_t end, int depth,
                   const Summary& summary, std::size_t index);
    // Adds the shapes of the refs begin..end as one leaf and returns its reference for a lane.
    std::uint32_t addLeaf(const Building& building, std::size_t begin, std::size_t end);
    // Reorders refs begin..end along axis (whose centres span low..high) into two parts, and
    // returns where the second starts and the summaries of both.
    struct Split;
    static Split splitPoint(std::vector<Ref>& refs, std::size_t begin, std::size_t end, int axis,
                            float low, float high, int depth);
    Hit nearestByScan(const Ray& ray) const;
    // Whether a hit at distance on the shape at position is to be taken over best: nearer, or as
    // near and earlier in the file.
    static bool beats(float distance, std::size_t position, const Hit& best);
    // Makes the member's hit along the ray the best one when it beats best.
    void offerTo(Hit& best, const Ray& ray, const Member& member) const;
    // Calls visit(member) for the always-tested shapes, and visitHit(position, distance) for every
    // shape the ray hits in the leaves it may meet within limit (read afresh at every box), until
    // either returns true; returns whether one did.
    template <typename Visit, typename VisitHit>
    bool search(const Ray& ray, const float& limit, Visit visit, VisitHit visitHit) const;

    static thread_local Occluder occluders_[kOccluderSlots];

    const ShapeList* shapes_;
    std::uint64_t serial_;  // tells this index from any other, dead or alive, in the occluders
    std::vector<WideNode> nodes_;
    std::vector<BallQuad> quads_;  // the leaves that hold balls only
    std::vector<std::array<std::uint32_t, WideNode::kLanes>> quadPositions_;  // their file order
    std::vector<MixedQuad> mixedQuads_;  // the leaves that hold a tube
    // Tested by every ray, in file order: the shapes the tree leaves out, or all of them when the
    // tree would hold no more than one leaf.
    std::vector<Member> unbounded_;
};
