#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// A picture written one pixel at a time, left to right and top row first. The pixel that
// completes width × height ends the picture and closes the file, which only then takes the
// output's name (see OutputFile).
class PictureWriter {
public:
    virtual ~PictureWriter() = default;

    // Each component keeps its low eight bits.
    virtual void writePixel(int red, int green, int blue) = 0;
    // Open and waiting for pixels.
    virtual bool isOpen() const = 0;
    // The picture is written whole and the file closed under the output's name. A writer
    // destroyed before that leaves the old file, or none, except on a pipe or device written
    // directly.
    virtual bool complete() const = 0;
};

// Opens a writer of the format the file's name ends in: PNG for ".png" in any case, an
// uncompressed Targa for any other name. A failure to open goes to errors.
std::unique_ptr<PictureWriter> openPictureWriter(std::uint32_t width, std::uint32_t height,
                                                 const char* fileName, std::FILE* errors = stderr);
