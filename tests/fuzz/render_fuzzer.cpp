// Bytes as a scene drawn at 16 by 12: the run must end, succeed, stay in bounds, leave a Targa.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/driver.h"
#include "fuzz/fuzz_finding.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* const console = std::fopen("/dev/null", "w");
    if (console == nullptr) fuzzFinding("no console");
    // The scene beside the textures the seed scenes name, written afresh for every input.
    static const TempDir workspace;
    workspace.write("one.pcx", PcxFile(1, 1).bytes());
    workspace.write("wide.pcx", PcxFile(5, 3).bytes());
    workspace.write("tall.pcx", PcxFile(2, 7).bytes());
    workspace.write("scene.ray", std::string(reinterpret_cast<const char*>(data), size));
    // Texture names are looked up from the working folder, as when run beside the scene.
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(workspace.path(""));
    const char* const arguments[] = {"Orvane", "scene.ray", "16", "12", "out.tga", "-recurse", "5"};
    const int status = runOrvane(7, arguments, console, console);
    std::filesystem::current_path(home);
    if (status != 0) fuzzFinding("the run did not succeed");
    const std::string out = workspace.path("out.tga");
    const std::string picture = readFile(out);
    if (picture.size() != 18 + 3 * 16 * 12 + 26 ||
        picture.compare(picture.size() - 18, 18, std::string("TRUEVISION-XFILE.", 18))) {
        fuzzFinding("the picture is not a complete Targa file");
    }
    // So that a run that writes nothing cannot pass on the last run's picture.
    std::remove(out.c_str());
    return 0;
}
