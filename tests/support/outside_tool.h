#pragma once

#include <string>

// What a shell command printed on standard output, and how it ended.
struct CommandResult {
    int status;  // as std::system reports it; 0 after a clean exit
    std::string output;
};

CommandResult runCommand(const std::string& command);

// Quotes text as one shell word.
std::string shellQuoted(const std::string& text);

// Whether ImageMagick's convert and identify on the path are the real programs: a look-alike of
// the same name does not print ImageMagick's version line.
bool hasImageMagick();
// Whether netpbm's tgatoppm is on the path.
bool hasNetpbm();
