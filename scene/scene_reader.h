#pragma once

#include <cstddef>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "scene/light.h"
#include "shapes/shape.h"

// Reads a scene file in its constructor, echoing every object to the console and
// appending the shapes and lights it creates in file order.
class SceneReader {
public:
    // No file is read in two halves.
    static constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();
    // The smallest file worth a second thread, and the largest, whose second half's echo waits
    // in memory.
    static constexpr std::size_t kSmallestSplit = std::size_t{1} << 20;
    static constexpr std::size_t kLargestSplit = std::size_t{32} << 20;

    std::FILE* sceneFile = nullptr;  // open only while reading
    bool complete = false;           // the file opened and was read to its end without an error

    // The echo is complete and flushed when the constructor returns. A regular file of
    // smallestSplit to kLargestSplit bytes is read in two halves at once, the second on a thread of
    // its own from a keyword that starts a line past three fifths of it; it is read on from there
    // as one when the first half does not end there.
    SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                std::vector<Light>& lights, std::FILE* console = stdout,
                std::size_t smallestSplit = kWhole);
    SceneReader(const SceneReader&) = delete;
    SceneReader& operator=(const SceneReader&) = delete;
};
