#pragma once

#include <string>

// An 8-bit RGB picture, as a PPM file holds it.
struct PpmPicture {
    int width = 0;
    int height = 0;
    std::string rgb;  // red, green, blue bytes of every pixel, top row first, left to right

    // The file's bytes in raw (P6) form.
    std::string bytes() const;
};

// Reads a plain (P3) or raw (P6) PPM with maximum value 255; an empty picture for anything else.
PpmPicture parsePpm(const std::string& bytes);

// Empty when the pictures are equal; otherwise the size mismatch or the first differing pixel.
std::string firstDifference(const PpmPicture& actual, const PpmPicture& expected);
