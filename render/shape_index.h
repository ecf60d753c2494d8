#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/point.h"
#include "geometry/ray.h"

class Shape;
struct IndexedShape;

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

    // Keeps a reference to shapes, which must outlive the index and stay unchanged. The tree is
    // searched lanes boxes or shapes at a time: 4, or 8 where the processor has AVX2.
    explicit ShapeIndex(const ShapeList& shapes, int lanes = widestLanes());
    ~ShapeIndex();
    // A copy in storage of its own, for another thread to search: two cores that read the same
    // lines each run slower than two that read their own.
    ShapeIndex(const ShapeIndex& other);
    ShapeIndex& operator=(const ShapeIndex&) = delete;

    // The nearest shape along the ray; a hit at the largest float distance or beyond is no hit.
    Hit nearest(const Ray& ray) const;
    // Whether the nearest shape along the ray is the one at position in the file order.
    bool nearestIs(const Ray& ray, std::size_t position) const;

    // The most lanes this processor searches at once.
    static int widestLanes();

private:
    struct Tree;

    Hit nearestByScan(const Ray& ray) const;

    const ShapeList* shapes_;
    std::uint64_t serial_;  // tells this index from any other, dead or alive, in the occluders
    // Tested by every ray, in file order: the shapes the tree leaves out, or all of them when
    // there are too few for a tree.
    std::vector<IndexedShape> unbounded_;
    std::unique_ptr<const Tree> tree_;  // over the other shapes; none without them
};
