#pragma once

#include <string>

// A PCX file for tests: a 128-byte header, pixel k coded as a run of one of palette index
// k mod 256, the palette marker and 256 entries, entry k being red k, green 255 - k, blue k / 2.
struct PcxFile {
    int width, height;

    explicit PcxFile(int width = 1, int height = 1) : width(width), height(height) {}

    std::string bytes() const {
        const auto byte = [](int value) { return static_cast<char>(value & 0xFF); };
        // Version 5, run-length coded, 8 bits per pixel, the window from (0, 0).
        std::string file = {10, 5, 1, 8, 0, 0, 0, 0};
        for (int last : {width - 1, height - 1}) file += {byte(last), byte(last >> 8)};
        file.resize(128, '\0');
        file[65] = 1;  // one plane
        for (int k = 0; k < width * height; ++k) file += {'\xC1', byte(k)};
        file += '\x0c';
        for (int k = 0; k < 256; ++k) file += {byte(k), byte(255 - k), byte(k / 2)};
        return file;
    }
};
