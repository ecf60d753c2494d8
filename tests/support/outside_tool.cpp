#include "support/outside_tool.h"

#include <cstdio>

CommandResult runCommand(const std::string& command) {
    CommandResult result{-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    result.status = pclose(pipe);
    return result;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

namespace {

bool printsOnSuccess(const std::string& command, const std::string& marker) {
    const CommandResult result = runCommand(command);
    return result.status == 0 && result.output.find(marker) != std::string::npos;
}

}  // namespace

bool hasImageMagick() {
    return printsOnSuccess("convert -version 2>/dev/null", "Version: ImageMagick") &&
           printsOnSuccess("identify -version 2>/dev/null", "Version: ImageMagick");
}

bool hasNetpbm() { return printsOnSuccess("tgatoppm -version 2>&1", "Netpbm"); }
