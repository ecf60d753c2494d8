// Bytes as a texture file: the load ends in bounds, and a loaded picture has unit colours.

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_finding.h"
#include "image/pcx_texture.h"
#include "support/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempDir workspace;
    const std::string file =
        workspace.write("texture.pcx", std::string(reinterpret_cast<const char*>(data), size));
    PcxTexture texture;
    if (!texture.load(file.c_str())) return 0;
    if (texture.width <= 0 || texture.height <= 0) fuzzFinding("loaded an empty picture");
    for (const int u : {-1, 0, texture.width - 1, texture.width}) {
        for (const int v : {-1, 0, texture.height - 1, texture.height}) {
            for (const float unit :
                 {texture.redAt(u, v), texture.greenAt(u, v), texture.blueAt(u, v)}) {
                if (!(unit >= 0.0f && unit <= 1.0f)) {
                    fuzzFinding("a palette component outside 0..1");
                }
            }
        }
    }
    return 0;
}
