#pragma once

#include <cstddef>
#include <vector>

#include "render/indexed_shape.h"
#include "render/wide_tree.h"

// Positions from here on stay out of the tree, so that indices fit their fields.
constexpr std::size_t kLargestIndexedCount = std::size_t{1} << 28;

// The tree of N lanes over shapes, balls and tubes of list whose boxes are finite. Each node takes
// the N parts of largest surface area that binned splits leave, as wide trees collapse a binary
// one; each leaf holds up to N shapes. Needs more than N shapes.
template <int N>
WideTree<N> buildWideTree(const ShapeList& list, const std::vector<IndexedShape>& shapes);
