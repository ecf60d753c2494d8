// Bytes as a scene file, read by the block reader and by the stdio reader it replaced: the
// console bytes, every object and the reads with small blocks must come out the same.

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
    const std::string difference = readerDifference(file, static_cast<std::uint32_t>(size));
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        fuzzFinding("the block reader differs from the stdio reader");
    }
    return 0;
}
