// Bytes as a scene file: the reader must end, stay in bounds, and echo exactly one line per
// object it creates and per token it does not know, after the two header lines.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_workspace.h"
#include "render/tracer.h"
#include "scene/scene_reader.h"

namespace {

// The console text a reader wrote into a memory stream.
struct Echo {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);

    ~Echo() { std::free(text); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzWorkspace workspace;
    const std::string file = workspace.write("scene.ray", data, size);
    ShapeList shapes;
    LightList lights;
    Echo echo;
    if (echo.stream == nullptr) fuzzFinding("no memory stream");
    if (SceneReader(file.c_str(), shapes, lights, echo.stream).sceneFile != nullptr) {
        fuzzFinding("the scene file was left open");
    }
    std::fclose(echo.stream);

    const std::string console(echo.text, echo.size);
    const std::string header =
        "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";
    if (console.compare(0, header.size(), header) != 0) fuzzFinding("no header lines");
    std::size_t lines = 0;
    std::size_t unknown = 0;
    for (std::size_t start = 0; start < console.size(); ++lines) {
        const std::size_t end = console.find('\n', start);
        if (end == std::string::npos) fuzzFinding("an echo line without its line end");
        if (console.compare(start, 20, "UNKNOWN PRIMITIVE: \"") == 0) ++unknown;
        start = end + 1;
    }
    if (lines != 2 + shapes.size() + lights.size() + unknown) fuzzFinding("echo lines miscounted");
    workspace.remove("scene.ray");
    return 0;
}
