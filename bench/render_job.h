#pragma once

#include <optional>

#include "geometry/camera.h"
#include "render/tracer.h"

// What the benchmark programs that follow a render are asked, as Orvane is asked it:
// <sceneFile.ray> <XRes> <YRes> [-recurse n].
struct RenderJob {
    const char* sceneFile;
    int width;
    int height;
    int maxDepth;
};

// The job on the command line; none, after printing program's usage, when it does not read.
std::optional<RenderJob> readRenderJob(int argc, char** argv, const char* program);

// Reads the scene file without echoing it; false if the echo cannot be silenced.
bool loadSilently(const char* sceneFile, ShapeList& shapes, LightList& lights);

// Calls visit(ray) for every primary ray of a width × height picture, in Orvane's order.
template <typename Visit>
void forEachPrimaryRay(int width, int height, Visit visit) {
    for (int row = 0, y = height / 2; row < height; ++row, --y) {
        for (int column = 0, x = -(width / 2); column < width; ++column, ++x) {
            visit(primaryRay(static_cast<float>(x), static_cast<float>(y)));
        }
    }
}
