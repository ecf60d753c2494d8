#pragma once

#include <cstdio>
#include <string>

#include "render/tracer.h"

// The scene loader as it was first written: a character at a time with fgetc, numbers with
// fscanf("%f"), echo lines with snprintf("%g"). The block reader must give the same console
// bytes and the same objects, so it is kept as the yardstick.
void readSceneWithStdio(const char* fileName, ShapeList& shapes, LightList& lights,
                        std::FILE* console);

// Its two reads, one token with fgetc and one number with fscanf("%f").
struct StdioToken {
    std::string text;  // the first 255 characters
    bool tooLong = false;
};
StdioToken readStdioToken(std::FILE* file);
float readStdioNumber(std::FILE* file);
