#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "scene/object_format.h"

// One finding about a scene; notes follow the finding they explain.
struct Diagnostic {
    enum class Severity { Error, Warning, Note };

    Severity severity;
    int line;    // counted from 1; 0 when the finding is about the whole file
    int column;  // in bytes, counted from 1
    std::string message;
};

// An object as a render reads it.
struct CheckedObject {
    ObjectKind kind;
    std::array<float, kMostNumbers> numbers;  // in file order
    std::string texture;                      // the texture token as read; empty for a light
};

struct SceneCheck {
    std::vector<Diagnostic> diagnostics;  // in file order, findings about the whole file last
    std::vector<CheckedObject> objects;   // in file order
    int errors = 0;
    int warnings = 0;
};

// Reads a scene's text exactly as a render does and reports what its author may not have meant.
// Textures are looked for from the working folder, as a render looks for them; sceneFolder is
// where the scene file lies, named only in advice.
SceneCheck checkScene(std::string_view text, const std::string& sceneFolder = ".");

// Checks each scene file and prints to out one line per finding, as
// "scene.ray:LINE:COLUMN: error: MESSAGE", then a summary line per file. Returns 0 when no file
// has an error, 1 when one has or cannot be read.
int checkSceneFiles(int count, const char* const fileNames[], std::FILE* out);
