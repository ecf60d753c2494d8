// Bytes as a scene file, read by the block reader and by the stdio reader it replaced: the
// console bytes and every object must come out the same. The bytes also go through the block
// input alone with small blocks, so that tokens meet block edges everywhere.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_finding.h"
#include "support/reader_difference.h"
#include "support/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempDir workspace;
    const std::string file =
        workspace.write("scene.ray", std::string(reinterpret_cast<const char*>(data), size));
    std::string difference = readerDifference(file);
    for (const std::size_t blockSize : {1 + size % 7, 64 + size % 300}) {
        if (difference.empty()) {
            difference = inputDifference(file, blockSize, static_cast<std::uint32_t>(size));
        }
    }
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        fuzzFinding("the block reader differs from the stdio reader");
    }
    return 0;
}
