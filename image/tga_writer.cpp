#include "image/tga_writer.h"

namespace {

constexpr unsigned char kUncompressedTrueColor = 2;
constexpr unsigned char kBitsPerPixel = 24;
constexpr unsigned char kTopLeftOrigin = 0x20;
constexpr char kSignature[] = "TRUEVISION-XFILE.";

void putLittleEndian16(std::uint32_t value, std::FILE* file) {
    std::fputc(static_cast<int>(value & 0xFF), file);
    std::fputc(static_cast<int>((value >> 8) & 0xFF), file);
}

}  // namespace

TgaWriter::TgaWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
                     std::FILE* errors)
    : width(width), height(height), errors_(errors) {
    outFile = std::fopen(fileName, "wb");
    if (outFile == nullptr) {
        std::fprintf(errors_, "ERROR: Unable to write to %s.\n", fileName);
        std::fflush(errors_);
        return;
    }
    writeHeader();
}

TgaWriter::~TgaWriter() {
    if (outFile != nullptr) std::fclose(outFile);
}

void TgaWriter::writeHeader() {
    const unsigned char leading[] = {0, 0, kUncompressedTrueColor, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (unsigned char byte : leading) std::fputc(byte, outFile);
    putLittleEndian16(width, outFile);
    putLittleEndian16(height, outFile);
    std::fputc(kBitsPerPixel, outFile);
    std::fputc(kTopLeftOrigin, outFile);
}

void TgaWriter::writePixel(int red, int green, int blue) {
    if (outFile == nullptr) {
        std::fputs("ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n",
                   errors_);
        std::fflush(errors_);
        return;
    }
    std::fputc(blue & 0xFF, outFile);
    std::fputc(green & 0xFF, outFile);
    std::fputc(red & 0xFF, outFile);
    ++pixelsWritten;
    if (pixelsWritten == std::uint64_t{width} * height) {
        writeFooter();
        std::fclose(outFile);
        outFile = nullptr;
    }
}

void TgaWriter::writeFooter() {
    // No extension area, no developer directory.
    for (int zero = 0; zero < 8; ++zero) std::fputc(0, outFile);
    std::fwrite(kSignature, 1, sizeof kSignature, outFile);
}
