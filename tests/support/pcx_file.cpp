#include "support/pcx_file.h"

#include <cmath>

std::string PcxFile::bytes() const {
    std::string file(128, '\0');
    file[0] = static_cast<char>(manufacturer);
    file[1] = static_cast<char>(version);
    file[2] = 1;  // run-length coded
    file[3] = 8;  // bits per pixel
    const int window[] = {xMin, yMin, xMax, yMax};
    for (int i = 0; i < 4; ++i) {
        file[4 + 2 * i] = static_cast<char>(window[i] & 0xFF);
        file[5 + 2 * i] = static_cast<char>((window[i] >> 8) & 0xFF);
    }
    file[65] = 1;  // colour planes
    const int bytesPerLine = xMax - xMin + 1;
    file[66] = static_cast<char>(bytesPerLine & 0xFF);
    file[67] = static_cast<char>((bytesPerLine >> 8) & 0xFF);
    file.append(data.begin(), data.end());
    if (withPalette) {
        file.push_back(static_cast<char>(paletteMarker));
        file.append(palette.begin(), palette.end());
    }
    return file;
}

std::vector<unsigned char> encodeRuns(const std::vector<unsigned char>& indices) {
    std::vector<unsigned char> coded;
    for (std::size_t i = 0; i < indices.size();) {
        std::size_t run = 1;
        while (i + run < indices.size() && run < 63 && indices[i + run] == indices[i]) ++run;
        if (run > 1 || indices[i] >= 192) coded.push_back(static_cast<unsigned char>(0xC0 | run));
        coded.push_back(indices[i]);
        i += run;
    }
    return coded;
}

PcxFile indexedPicture(int width, int height, const std::vector<unsigned char>& indices) {
    PcxFile file;
    file.xMax = width - 1;
    file.yMax = height - 1;
    file.data = encodeRuns(indices);
    for (int k = 0; k < 256; ++k) {
        file.palette[3 * k] = static_cast<unsigned char>(k);
        file.palette[3 * k + 1] = static_cast<unsigned char>(255 - k);
        file.palette[3 * k + 2] = static_cast<unsigned char>(k / 2);
    }
    return file;
}

int indexFromRed(float red) { return static_cast<int>(std::lround(red * 255.0f)); }
