// Bytes as a texture file: the load must end, stay in bounds and, when it succeeds, give unit
// colours at the picture's corners and just outside them.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/fuzz_finding.h"
#include "image/pcx_texture.h"
#include "support/temp_file.h"

namespace {

bool isUnit(float value) { return value >= 0.0f && value <= 1.0f; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempDir workspace;
    const std::string file =
        workspace.write("texture.pcx", std::string(reinterpret_cast<const char*>(data), size));
    PcxTexture texture;
    if (texture.load(file.c_str())) {
        if (texture.width <= 0 || texture.height <= 0) fuzzFinding("loaded an empty picture");
        const int right = texture.width - 1;
        const int bottom = texture.height - 1;
        const std::pair<int, int> probes[] = {
            {0, 0}, {right, 0}, {0, bottom}, {right, bottom}, {-1, -1}, {right + 1, bottom + 1},
        };
        for (const auto& [u, v] : probes) {
            if (!isUnit(texture.redAt(u, v)) || !isUnit(texture.greenAt(u, v)) ||
                !isUnit(texture.blueAt(u, v))) {
                fuzzFinding("a palette component outside 0..1");
            }
        }
    }
    return 0;
}
