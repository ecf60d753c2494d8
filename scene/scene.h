#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "image/file_identity.h"
#include "image/picture_writer.h"
#include "render/shape_index.h"
#include "render/tracer.h"
#include "scene/framebuffer.h"
#include "scene/light.h"
#include "scene/scene_reader.h"
#include "shapes/shape.h"

// The world of one run: the scene file's shapes and lights, the framebuffer and the output
// picture. Rows are traced into the framebuffer and handed to the writer one at a time, once the
// output is open.
class Scene {
public:
    ShapeList shapes;
    LightList lights;
    Framebuffer framebuffer;
    SceneReader reader;
    ShapeIndex index;                       // over shapes, once the reader has filled them
    std::unique_ptr<PictureWriter> writer;  // none until openOutput
    int xMin;
    int xMax;
    int yMin;
    int yMax;
    int width;
    int height;
    int maxDepth;

    // Obtains the framebuffer and loads the scene file; messages go to console and errors. With
    // more than one thread a large file is read in two halves at once.
    Scene(int width, int height, const char* sceneFile, int maxDepth, std::FILE* console = stdout,
          std::FILE* errors = stderr, int threadCount = 1);

    // A picture can be made: the scene file was read whole and the framebuffer obtained.
    bool ready() const { return reader.complete && framebuffer.obtained(); }
    // Opens the output picture, in the format its name asks for, only when ready and when it is
    // none of the files the scene was read from (compared as files, not names; "-" is the
    // standard output's file). False, with a line on errors, when it is not open.
    bool openOutput(const char* outFile);

    // Traces image-plane rows y, y - 1, ... (yMax at the top), count of them or those down to the
    // bottom, into the framebuffer, searching shapes, which is index or a copy of it. Different
    // rows may be traced on several threads at once.
    void traceRows(int y, int count, const ShapeIndex& shapes);
    // Hands framebuffer row y to the writer, left to right.
    void writeRow(int y);

private:
    // Whether row y lies in the picture and has framebuffer storage.
    bool holdsRow(int y) const;
    // Why writing to the file would destroy an input of the scene, or null.
    const char* inputRole(const FileIdentity& file) const;

    std::FILE* errors_;
    std::optional<FileIdentity> sceneFile_;  // the scene file that was read
};

// 255 × value truncated, with values outside 0..1 (and NaN) held to the nearest end.
int colorToByte(float value);
