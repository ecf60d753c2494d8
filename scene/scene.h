#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "image/tga_writer.h"
#include "render/shape_index.h"
#include "render/tracer.h"
#include "scene/framebuffer.h"
#include "scene/light.h"
#include "scene/scene_reader.h"
#include "shapes/shape.h"

// The world of one run: the scene file's shapes and lights, the framebuffer and the output
// picture. Rows are traced into the framebuffer and handed to the writer one at a time.
class Scene {
public:
    ShapeList shapes;
    LightList lights;
    Framebuffer framebuffer;
    SceneReader reader;
    ShapeIndex index;  // over shapes, once the reader has filled them
    TgaWriter writer;
    int xMin;
    int xMax;
    int yMin;
    int yMax;
    int width;
    int height;
    int maxDepth;

    // Loads the scene file and opens the output picture; messages go to console and errors.
    Scene(int width, int height, const char* sceneFile, const char* outFile, int maxDepth,
          std::FILE* console = stdout, std::FILE* errors = stderr);

    // Traces image-plane row y (yMax at the top) into the framebuffer. Rows may be traced on
    // several threads at once.
    void traceRow(int y);
    // Hands framebuffer row y to the writer, left to right.
    void writeRow(int y);

private:
    // Whether row y lies in the picture and has framebuffer storage.
    bool holdsRow(int y) const;
};

// 255 × value truncated, with values outside 0..1 (and NaN) held to the nearest end.
int colorToByte(float value);
