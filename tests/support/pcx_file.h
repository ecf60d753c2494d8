#pragma once

#include <string>
#include <vector>

// A PCX file for tests: a 128-byte header, the data section, the palette marker and 256 palette
// entries, entry k being red k, green 255 - k and blue k / 2.
struct PcxFile {
    int width;
    int height;
    std::vector<unsigned char> data;  // run-length coded

    // A width × height picture whose pixel k has palette index k mod 256, each a run of one.
    explicit PcxFile(int width = 1, int height = 1) : width(width), height(height) {
        data.assign(2 * width * height, 0xC1);
        for (int k = 0; k < width * height; ++k) data[2 * k + 1] = static_cast<unsigned char>(k);
    }

    std::string bytes() const {
        const auto byte = [](int value) { return static_cast<char>(value & 0xFF); };
        // Version 5, run-length coded, 8 bits per pixel, the window from (0, 0).
        std::string file = {10, 5, 1, 8, 0, 0, 0, 0};
        for (int last : {width - 1, height - 1}) file += {byte(last), byte(last >> 8)};
        file.resize(128, '\0');
        file.append(data.begin(), data.end()) += '\x0c';
        for (int k = 0; k < 256; ++k) file += {byte(k), byte(255 - k), byte(k / 2)};
        return file;
    }
};
