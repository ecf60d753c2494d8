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

    SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                std::vector<Light>& lights, std::FILE* console = stdout);
    SceneReader(const SceneReader&) = delete;
    SceneReader& operator=(const SceneReader&) = delete;

private:
    void writeLine(const std::string& line);
    void readObjects(std::vector<std::unique_ptr<Shape>>& shapes, std::vector<Light>& lights);

    std::FILE* console_;
};
