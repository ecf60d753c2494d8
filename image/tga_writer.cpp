#include "image/tga_writer.h"

namespace {

constexpr unsigned char kUncompressedTrueColor = 2;
constexpr unsigned char kBitsPerPixel = 24;
constexpr unsigned char kTopLeftOrigin = 0x20;
constexpr char kSignature[] = "TRUEVISION-XFILE.";

}  // namespace

TgaWriter::TgaWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
                     std::FILE* errors)
    : width(width), height(height), fileName_(fileName), errors_(errors), output_(fileName_) {
    if (!isOpen()) {
        reportUnwritable();
        return;
    }
    writeHeader();
}

void TgaWriter::writeHeader() {
    const unsigned char leading[] = {0, 0, kUncompressedTrueColor, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (unsigned char byte : leading) put(byte);
    for (std::uint32_t size : {width, height}) {
        put(static_cast<int>(size & 0xFF));
        put(static_cast<int>((size >> 8) & 0xFF));
    }
    put(kBitsPerPixel);
    put(kTopLeftOrigin);
}

void TgaWriter::writePixel(int red, int green, int blue) {
    if (broken_) return;
    if (!isOpen()) {
        std::fputs("ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n",
                   errors_);
        std::fflush(errors_);
        return;
    }
    put(blue & 0xFF);
    put(green & 0xFF);
    put(red & 0xFF);
    if (broken_) return;
    ++pixelsWritten;
    if (pixelsWritten == std::uint64_t{width} * height) {
        writeFooter();
        if (!broken_) finish();
    }
}

void TgaWriter::writeFooter() {
    // No extension area, no developer directory.
    for (int zero = 0; zero < 8; ++zero) put(0);
    if (isOpen() &&
        std::fwrite(kSignature, 1, sizeof kSignature, output_.stream()) != sizeof kSignature) {
        giveUp();
    }
}

// A stream buffers its bytes, so a full disk may first show when they are flushed. Only the
// thread that writes the rows touches the stream, so the byte goes in without taking its lock,
// which would cost more than the write itself.
void TgaWriter::put(int byte) {
    if (isOpen() && putc_unlocked(byte, output_.stream()) == EOF) giveUp();
}

void TgaWriter::finish() {
    if (output_.close()) {
        complete_ = true;
    } else {
        broken_ = true;
        reportUnwritable();
    }
}

void TgaWriter::giveUp() {
    output_.discard();
    broken_ = true;
    reportUnwritable();
}

void TgaWriter::reportUnwritable() {
    const std::string line = "ERROR: Unable to write to " + fileName_ + ".\n";
    std::fputs(line.c_str(), errors_);
    std::fflush(errors_);
}
