#include "scene/scene.h"

#include <string>

#include "geometry/camera.h"

Scene::Scene(int width, int height, const char* sceneFile, int maxDepth, std::FILE* console,
             std::FILE* errors)
    : framebuffer(width, height),
      reader(sceneFile, shapes, lights, console),
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
    const std::optional<FileIdentity> output = identityOf(outFile);
    if (const char* role = output ? inputRole(*output) : nullptr) {
        const std::string line = "ERROR: Not writing the picture to \"" + std::string(outFile) +
                                 "\": it is " + role + ".\n";
        std::fputs(line.c_str(), errors_);
        std::fflush(errors_);
        return false;
    }
    writer.emplace(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), outFile,
                   errors_);
    return writer->isOpen();
}

bool Scene::holdsRow(int y) const {
    // Without a framebuffer there is nowhere to trace to.
    return framebuffer.obtained() && y <= yMax && y > yMax - height;
}

void Scene::traceRow(int y) {
    if (!holdsRow(y)) return;
    const int row = yMax - y;
    for (int column = 0; column < width; ++column) {
        const int x = xMin + column;
        const Color color = trace(primaryRay(static_cast<float>(x), static_cast<float>(y)), index,
                                  lights, maxDepth);
        float* pixel = framebuffer.pixel(column, row);
        pixel[0] = color.red;
        pixel[1] = color.green;
        pixel[2] = color.blue;
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
