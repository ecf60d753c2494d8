// Bytes as a scene file rendered to a 16 × 12 picture beside three small textures: the run must
// end, stay in bounds, succeed and leave a complete Targa file.

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
    // The folder with the textures the seed scenes name.
    struct Studio {
        TempDir workspace;
        std::FILE* console = std::fopen("/dev/null", "w");

        Studio() {
            if (console == nullptr) fuzzFinding("no console");
            workspace.write("one.pcx", PcxFile(1, 1).bytes());
            workspace.write("wide.pcx", PcxFile(5, 3).bytes());
            workspace.write("tall.pcx", PcxFile(2, 7).bytes());
        }
    };
    static const Studio studio;
    studio.workspace.write("scene.ray", std::string(reinterpret_cast<const char*>(data), size));
    // Texture names are looked up from the working folder, as when a user runs the program
    // beside the scene; the fuzzer writes nothing while the input runs.
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(studio.workspace.path(""));
    const char* const arguments[] = {"Orvane", "scene.ray", "16", "12", "out.tga", "-recurse", "5"};
    const int status = runOrvane(7, arguments, studio.console, studio.console);
    std::filesystem::current_path(home);
    if (status != 0) fuzzFinding("the run did not succeed");
    const std::string out = studio.workspace.path("out.tga");
    const std::string picture = readFile(out);
    if (picture.size() != 18 + 3 * 16 * 12 + 26 ||
        picture.compare(picture.size() - 18, 18, std::string("TRUEVISION-XFILE.", 18))) {
        fuzzFinding("the picture is not a complete Targa file");
    }
    // So that a run that writes nothing cannot pass on the last run's picture.
    std::remove(out.c_str());
    return 0;
}
