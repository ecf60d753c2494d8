#include "app/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

int readInteger(const char* text) {
    const long value = std::strtol(text, nullptr, 10);
    return static_cast<int>(
        std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::optional<CommandLine> parseCommandLine(int argc, const char* const argv[]) {
    if (argc < 5) return std::nullopt;
    CommandLine line{argv[1], readInteger(argv[2]), readInteger(argv[3]), argv[4], 0};
    // "-recurse" without a number after it leaves the depth at 0.
    if (argc >= 7 && std::strcmp(argv[5], "-recurse") == 0) {
        line.depth = std::max(readInteger(argv[6]), 0);
    }
    return line;
}
