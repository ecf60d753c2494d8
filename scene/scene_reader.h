#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "scene/light.h"
#include "shapes/shape.h"

class ConsoleEcho;
class SceneInput;

// Reads a scene file in its constructor, echoing every object to the console and
// appending the shapes and lights it creates in file order.
class SceneReader {
public:
    std::FILE* sceneFile = nullptr;  // open only while reading
    bool complete = false;           // the file opened and was read to its end without an error

    // The echo is complete and flushed when the constructor returns.
    SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                std::vector<Light>& lights, std::FILE* console = stdout);
    SceneReader(const SceneReader&) = delete;
    SceneReader& operator=(const SceneReader&) = delete;

private:
    static void readObjects(SceneInput& input, ConsoleEcho& echo,
                            std::vector<std::unique_ptr<Shape>>& shapes,
                            std::vector<Light>& lights);
};
