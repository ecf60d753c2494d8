#include "image/tga_writer.h"

namespace {

constexpr unsigned char kUncompressedTrueColor = 2;
constexpr unsigned char kBitsPerPixel = 24;
constexpr unsigned char kTopLeftOrigin = 0x20;
constexpr char kSignature[] = "TRUEVISION-XFILE.";

}  // namespace

TgaWriter::TgaWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
                     std::FILE* errors)
    : width(width), height(height), fileName_(fileName), errors_(errors) {
    outFile = std::fopen(fileName, "wb");
    if (outFile == nullptr) {
        reportUnwritable();
        return;
    }
    writeHeader();
}

TgaWriter::~TgaWriter() {
    if (outFile != nullptr) std::fclose(outFile);
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
    if (failed_) return;
    if (outFile == nullptr) {
        std::fputs("ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n",
                   errors_);
        std::fflush(errors_);
        return;
    }
    put(blue & 0xFF);
    put(green & 0xFF);
    put(red & 0xFF);
    if (failed_) return;
    ++pixelsWritten;
    if (pixelsWritten == std::uint64_t{width} * height) {
        writeFooter();
        if (!failed_) finish();
    }
}

void TgaWriter::writeFooter() {
    // No extension area, no developer directory.
    for (int zero = 0; zero < 8; ++zero) put(0);
    if (outFile != nullptr &&
        std::fwrite(kSignature, 1, sizeof kSignature, outFile) != sizeof kSignature) {
        giveUp();
    }
}

// A stream buffers its bytes, so a full disk may first show when they are flushed.
void TgaWriter::put(int byte) {
    if (outFile != nullptr && std::fputc(byte, outFile) == EOF) giveUp();
}

void TgaWriter::finish() {
    const bool flushed = std::fflush(outFile) == 0;
    const bool closed = std::fclose(outFile) == 0;
    outFile = nullptr;
    if (!flushed || !closed) {
        failed_ = true;
        reportUnwritable();
    }
}

void TgaWriter::giveUp() {
    std::fclose(outFile);  // already broken: what the close says adds nothing
    outFile = nullptr;
    failed_ = true;
    reportUnwritable();
}

void TgaWriter::reportUnwritable() {
    const std::string line = "ERROR: Unable to write to " + fileName_ + ".\n";
    std::fputs(line.c_str(), errors_);
    std::fflush(errors_);
}
