#pragma once

#include <optional>

// What a run was asked to do.
struct CommandLine {
    const char* sceneFile;
    int width;
    int height;
    const char* outFile;
    int depth;  // reflection depth, 0 unless given, never negative
};

// Null when fewer than four arguments follow the program name. Numbers are never refused.
std::optional<CommandLine> parseCommandLine(int argc, const char* const argv[]);

// A base-10 integer read as strtol reads it (leading blanks, one sign, digits up to the first
// other character; 0 without digits), saturated to the 32-bit range.
int readInteger(const char* text);
