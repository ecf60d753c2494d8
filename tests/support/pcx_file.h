#pragma once

#include <array>
#include <string>
#include <vector>

// Builds PCX files byte by byte for tests: a 128-byte header, run-length data as given, and an
// optional 769-byte palette block.
struct PcxFile {
    int manufacturer = 10;
    int version = 5;
    int xMin = 0;
    int yMin = 0;
    int xMax = 0;
    int yMax = 0;
    std::vector<unsigned char> data;  // pixel data, already run-length coded
    bool withPalette = true;
    int paletteMarker = 12;
    std::array<unsigned char, 768> palette{};  // red, green, blue of each entry

    std::string bytes() const;
};

// Run-length codes indices the way common encoders do: runs of 2..63 equal indices, and lone
// indices of 192 and above, become a count byte and a value byte.
std::vector<unsigned char> encodeRuns(const std::vector<unsigned char>& indices);

// A width × height picture of the given indices whose palette entry k has red k, green 255 - k
// and blue k / 2, so the red component of a lookup tells which index it read.
PcxFile indexedPicture(int width, int height, const std::vector<unsigned char>& indices);

// The palette index behind a red component read from an indexedPicture.
int indexFromRed(float red);
