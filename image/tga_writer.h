#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/output_file.h"
#include "image/picture_writer.h"

// The Targa header holds each side in 16 bits.
constexpr int kMaxPictureSide = 65535;

// Streams an uncompressed 24-bit top-left Targa picture: the header at construction, then one
// pixel per call; the pixel that completes width × height writes the footer and closes the file,
// which only then takes the output's name (see OutputFile).
class TgaWriter final : public PictureWriter {
public:
    std::uint32_t width;
    std::uint32_t height;
    std::uint64_t pixelsWritten = 0;

    // Opens the output and writes the header; a failure goes to errors.
    TgaWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
              std::FILE* errors = stderr);
    TgaWriter(const TgaWriter&) = delete;
    TgaWriter& operator=(const TgaWriter&) = delete;

    void writeHeader();
    // Written in blue, green, red order.
    void writePixel(int red, int green, int blue) override;
    void writeFooter();

    bool isOpen() const override { return output_.stream() != nullptr; }
    // The footer is written and the file closed under the output's name.
    bool complete() const override { return complete_; }

private:
    void put(int byte);
    void finish();
    void giveUp();
    void reportUnwritable();

    std::string fileName_;
    std::FILE* errors_;
    OutputFile output_;
    bool complete_ = false;
    // A write, the flush, the close or the renaming failed: reported once, and later pixels are
    // dropped without a word.
    bool broken_ = false;
};
