#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "scene/light.h"
#include "shapes/shape.h"

// Reads a scene description file in its constructor, echoing every object to the console and
// appending the shapes and lights it creates in file order.
class SceneReader {
public:
    std::FILE* sceneFile = nullptr;  // open only while reading
    bool complete = false;           // the file opened and was read to its end without an error

    SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                std::vector<Light>& lights, std::FILE* console = stdout);
    SceneReader(const SceneReader&) = delete;
    SceneReader& operator=(const SceneReader&) = delete;

private:
    // Writes one console line of pieces: texts as they stand, numbers as "%g" prints them.
    template <typename... Pieces>
    void writeLine(const Pieces&... pieces);
    void readObjects(std::vector<std::unique_ptr<Shape>>& shapes, std::vector<Light>& lights);

    std::FILE* console_;
    std::string line_;  // the line being written, kept to reuse its storage
};
