#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/bounding_box.h"
#include "geometry/point.h"
#include "geometry/ray.h"

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
    // 32 bytes, so that two siblings, which are stored side by side, share a cache line.
    struct Node {
        float low[3];  // the box, rounded outward to float
        float high[3];
        // Rounding allowance per squared scale, growing as the shapes shrink; negative when some
        // member's rounding also grows with its distance from the scene origin.
        float rimFactor;
        // Leaf: first entry in members_ << kCountBits | shape count. Inner node: index of the
        // first of its two adjacent children << kCountBits.
        std::uint32_t firstAndCount;
    };
    struct Member {
        const Shape* shape;
        std::uint32_t position;  // in the file order
    };
    struct Entry;
    struct RayFrame;

    // Fills nodes_[index] with the entries begin..end and builds its subtree.
    void build(std::vector<Entry>& entries, std::size_t begin, std::size_t end, int depth,
               std::size_t index);
    // Reorders entries begin..end along axis (whose centres span low..high) and returns where
    // the second child's entries start.
    static std::size_t splitPoint(std::vector<Entry>& entries, std::size_t begin,
                                  std::size_t end, int axis, double low, double high, int depth);
    // Whether the ray can meet anything in node at a distance in 0..limit; if so, sets enter to
    // where it enters the widened box.
    static bool mayHit(const Node& node, const RayFrame& frame, double limit, double& enter);
    Hit nearestByScan(const Ray& ray) const;
    static bool offerTo(Hit& best, const Ray& ray, const Shape& shape, std::size_t position);
    // Calls visit(shape, position) for the always-tested shapes, then for those in the nodes the ray
    // may meet within limit (read afresh at every node), until visit returns true; returns whether
    // it did.
    template <typename Visit>
    bool search(const Ray& ray, const float& limit, Visit visit) const;

    const ShapeList* shapes_;
    std::vector<Node> nodes_;
    std::vector<Member> members_;           // grouped by leaf
    std::vector<std::uint32_t> unbounded_;  // positions tested by every ray, in file order
};
