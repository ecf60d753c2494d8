#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Streams an uncompressed 24-bit top-left Targa picture: the header at construction, then one
// pixel per call; the pixel that completes width × height writes the footer and closes the file.
class TgaWriter {
public:
    std::FILE* outFile = nullptr;  // none when the open failed, once the file is complete or broken
    std::uint32_t width;
    std::uint32_t height;
    std::uint64_t pixelsWritten = 0;

    // Opens (creating or emptying) the file and writes the header; failures go to errors.
    TgaWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
              std::FILE* errors = stderr);
    // Leaves an unfinished file as it stands: no footer is added.
    ~TgaWriter();
    TgaWriter(const TgaWriter&) = delete;
    TgaWriter& operator=(const TgaWriter&) = delete;

    void writeHeader();
    // Each component keeps its low eight bits; written in blue, green, red order.
    void writePixel(int red, int green, int blue);
    void writeFooter();

    // True once a write, the flush or the close of the opened file failed. The failure is
    // reported once; the file is then given up and later pixels are dropped without a word.
    bool failed() const { return failed_; }

private:
    void put(int byte);
    void finish();
    void giveUp();
    void reportUnwritable();

    std::string fileName_;
    std::FILE* errors_;
    bool failed_ = false;
};
