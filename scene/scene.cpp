#include "scene/scene.h"

#include <algorithm>
#include <string>

#include "geometry/camera.h"
#include "image/output_file.h"

Scene::Scene(int width, int height, const char* sceneFile, int maxDepth, std::FILE* console,
             std::FILE* errors, int threadCount)
    : framebuffer(width, height),
      reader(sceneFile, shapes, lights, console,
             threadCount > 1 ? SceneReader::kSmallestSplit : SceneReader::kWhole),
      index(shapes),
      xMin(-(width / 2)),
      xMax(width / 2),
      yMin(-(height / 2)),
      yMax(height / 2),
      width(width),
      height(height),
      maxDepth(maxDepth),
      errors_(errors),
      sceneFile_(identityOf(sceneFile)) {
    if (!framebuffer.obtained()) {
        std::fputs("ERROR: ALLOCATION FAILED!\n", errors);
        std::fflush(errors);
    }
}

const char* Scene::inputRole(const FileIdentity& file) const {
    if (sceneFile_ == file) return "the scene file";
    for (const auto& shape : shapes) {
        if (shape->texture && shape->texture->source == file) return "a texture of the scene";
    }
    return nullptr;
}

bool Scene::openOutput(const char* outFile) {
    if (!ready()) return false;
    const std::optional<FileIdentity> output =
        std::string(outFile) == kStandardOutputName ? identityOf(stdout) : identityOf(outFile);
    if (const char* role = output ? inputRole(*output) : nullptr) {
        const std::string line = "ERROR: Not writing the picture to \"" + std::string(outFile) +
                                 "\": it is " + role + ".\n";
        std::fputs(line.c_str(), errors_);
        std::fflush(errors_);
        return false;
    }
    writer = openPictureWriter(static_cast<std::uint32_t>(width),
                               static_cast<std::uint32_t>(height), outFile, errors_);
    return writer->isOpen();
}

bool Scene::holdsRow(int y) const {
    // Without a framebuffer there is nowhere to trace to.
    return framebuffer.obtained() && y <= yMax && y > yMax - height;
}

void Scene::traceRows(int y, int count, const ShapeIndex& shapes) {
    // The rays of neighbouring pixels read much the same nodes and leaves of the index. A few
    // columns of every row at a time find them still in the cache, where a whole row of rays
    // would have pushed them out before the next row came back to them.
    constexpr int kBlockColumns = 8;
    // Only rows with framebuffer storage, which a picture too large for memory has none of.
    if (!framebuffer.obtained()) return;
    const int top = std::min(y, yMax);
    const int bottom = std::max(y - count, yMax - height);  // below the last row to trace
    for (int firstColumn = 0; firstColumn < width;) {
        const int endColumn = firstColumn + std::min(kBlockColumns, width - firstColumn);
        for (int rowY = top; rowY > bottom; --rowY) {
            const int row = yMax - rowY;
            for (int column = firstColumn; column < endColumn; ++column) {
                const int x = xMin + column;
                const Color color =
                    trace(primaryRay(static_cast<float>(x), static_cast<float>(rowY)), shapes,
                          lights, maxDepth);
                float* pixel = framebuffer.pixel(column, row);
                pixel[0] = color.red;
                pixel[1] = color.green;
                pixel[2] = color.blue;
            }
        }
        firstColumn = endColumn;
    }
}

void Scene::writeRow(int y) {
    if (!writer || !holdsRow(y)) return;
    const int row = yMax - y;
    for (int column = 0; column < width; ++column) {
        const float* pixel = framebuffer.pixel(column, row);
        writer->writePixel(colorToByte(pixel[0]), colorToByte(pixel[1]), colorToByte(pixel[2]));
    }
}

int colorToByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return static_cast<int>(255.0 * value);
}
