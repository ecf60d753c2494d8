#include "image/picture_writer.h"

#include <strings.h>

#include <cstring>

#include "image/png_writer.h"
#include "image/tga_writer.h"

namespace {

bool namesPng(const char* fileName) {
    constexpr char kEnding[] = ".png";
    const std::size_t length = std::strlen(fileName);
    return length >= sizeof kEnding - 1 &&
           strcasecmp(fileName + length - (sizeof kEnding - 1), kEnding) == 0;
}

}  // namespace

std::unique_ptr<PictureWriter> openPictureWriter(std::uint32_t width, std::uint32_t height,
                                                 const char* fileName, std::FILE* errors) {
    if (namesPng(fileName)) return std::make_unique<PngWriter>(width, height, fileName, errors);
    return std::make_unique<TgaWriter>(width, height, fileName, errors);
}
