// Bytes as a scene file rendered to a 16 × 12 picture beside three small textures: the run must
// end, stay in bounds, succeed and leave a complete Targa file.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/driver.h"
#include "fuzz_workspace.h"
#include "support/pcx_file.h"

namespace {

constexpr std::size_t kPictureBytes = 18 + 3 * 16 * 12 + 26;
const std::string kSignature("TRUEVISION-XFILE.", 18);

// The workspace with the textures the seed scenes name, and the folder to come back to.
struct Studio {
    FuzzWorkspace workspace;
    std::FILE* console = std::fopen("/dev/null", "w");
    int home = open(".", O_RDONLY | O_DIRECTORY);

    Studio() {
        if (console == nullptr || home < 0) fuzzFinding("no console or working folder");
        const std::pair<const char*, PcxFile> textures[] = {
            {"one.pcx", PcxFile(1, 1)}, {"wide.pcx", PcxFile(5, 3)}, {"tall.pcx", PcxFile(2, 7)}};
        for (const auto& [name, texture] : textures) {
            const std::string bytes = texture.bytes();
            workspace.write(name, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            bytes.size());
        }
    }
};

std::string readPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Studio studio;
    studio.workspace.write("scene.ray", data, size);
    // Texture names are looked up from the working folder, as when a user runs the program
    // beside the scene; the fuzzer writes nothing while the input runs.
    if (chdir(studio.workspace.folder().c_str()) != 0) fuzzFinding("cannot enter the workspace");
    const char* const arguments[] = {"Orvane", "scene.ray", "16", "12", "out.tga", "-recurse", "5"};
    const int status = runOrvane(7, arguments, studio.console, studio.console);
    if (fchdir(studio.home) != 0) fuzzFinding("cannot leave the workspace");
    if (status != 0) fuzzFinding("the run did not succeed");
    const std::string picture = readPicture(studio.workspace.path("out.tga"));
    if (picture.size() != kPictureBytes || picture.compare(picture.size() - 18, 18, kSignature)) {
        fuzzFinding("the picture is not a complete Targa file");
    }
    studio.workspace.remove("scene.ray");
    studio.workspace.remove("out.tga");
    return 0;
}
