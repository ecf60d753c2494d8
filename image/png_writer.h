#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/output_file.h"
#include "image/picture_writer.h"

struct png_struct_def;
struct png_info_def;

// Streams an 8-bit RGB PNG picture without alpha, top row first, through libpng: the header at
// construction, then one pixel per call, each row handed on once it is gathered; the pixel that
// completes width × height ends the picture and closes the file, which only then takes the
// output's name (see OutputFile).
class PngWriter final : public PictureWriter {
public:
    // Opens the output and writes the header; a failure goes to errors.
    PngWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
              std::FILE* errors = stderr);
    ~PngWriter() override;
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    void writePixel(int red, int green, int blue) override;
    bool isOpen() const override { return output_.stream() != nullptr; }
    bool complete() const override { return complete_; }

private:
    void finish();
    void giveUp();
    void reportUnwritable();

    std::uint32_t height_;
    std::uint32_t rowsWritten_ = 0;
    std::vector<unsigned char> row_;  // red, green and blue of each pixel of the row
    std::size_t rowFilled_ = 0;       // bytes of row_ gathered so far
    std::string fileName_;
    std::FILE* errors_;
    OutputFile output_;
    png_struct_def* png_ = nullptr;
    png_info_def* info_ = nullptr;
    bool complete_ = false;
    // The output could not be opened, or libpng, a write, the flush, the close or the renaming
    // failed: reported once, and later pixels are dropped without a word.
    bool broken_ = false;
};
