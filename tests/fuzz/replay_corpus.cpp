// replay_<target> <corpus folder>: feeds every stored input to the fuzz harness linked beside
// it, as libFuzzer would. A broken check aborts after the input's name has been printed.

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "support/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    // An empty or misnamed folder would otherwise pass without checking anything.
    if (argc != 2 || std::filesystem::is_empty(argv[1])) return 1;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        std::fprintf(stderr, "%s\n", entry.path().filename().c_str());
        const std::string bytes = readFile(entry.path());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    return 0;
}
