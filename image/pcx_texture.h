#pragma once

#include <cstdio>
#include <memory>
#include <optional>

#include "image/file_identity.h"

// Why a file could not be used as a texture, from the first check it failed.
enum class PcxProblem {
    None,
    Missing,               // no such file
    NotRegularFile,        // a folder, pipe or device
    Unreadable,            // cannot be opened
    NotPcx,                // the first byte is not a PCX file's
    NotVersion5,           // a PCX version without a 256-colour palette
    NotEightBitsOnePlane,  // not one byte per pixel in one plane
    EmptyWindow,           // the picture window holds no pixels
    TooLarge,              // more pixels than a texture may have
    CutShort,              // too short for its header, pixels and palette
    NoPalette,             // no palette marker where the palette belongs
};

// An 8-bit palettised picture read from a PCX file: one palette index per pixel and 256 palette
// entries of three floats in 0..1. Empty until load() succeeds.
class PcxTexture {
public:
    int width = 0;                           // pixels per row
    int height = 0;                          // rows; row 0 is the first row stored in the file
    std::unique_ptr<unsigned char[]> image;  // width × height palette indices, row after row
    std::unique_ptr<float[]> palette;        // 768 floats: red, green, blue of entry k at 3k..3k+2
    std::optional<FileIdentity> source;      // the file it was read from

    // True when the texture now holds a picture and a palette. A null name, a name that is not a
    // regular file, a file that is not an 8-bit PCX picture with a palette, or one too large to
    // hold, leaves it without a usable picture.
    bool load(const char* fileName) { return loadOrExplain(fileName) == PcxProblem::None; }
    // load(), telling why the file could not be used. A file that fails a later check but is not
    // one byte per pixel in one plane is told as such: that is the mistake to mend.
    PcxProblem loadOrExplain(const char* fileName);

    // Rewinds the file and reads the picture window into width and height; -1 without a file.
    int readWindow(std::FILE* file);

    // Palette components of pixel (u, v); a position outside the picture reads its nearest edge
    // pixel.
    float redAt(int u, int v) const { return palette[paletteIndex(u, v)]; }
    float greenAt(int u, int v) const { return palette[paletteIndex(u, v) + 1]; }
    float blueAt(int u, int v) const { return palette[paletteIndex(u, v) + 2]; }

private:
    // Reads the window, pixels and palette of a file whose first two bytes have been checked.
    PcxProblem decode(std::FILE* file);
    int paletteIndex(int u, int v) const;
};

// The texture in fileName, to be shared by the shapes that show it; none when it does not load.
std::shared_ptr<const PcxTexture> loadPcxTexture(const char* fileName);
