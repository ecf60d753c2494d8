#include "image/tga_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_file.h"

const std::string kPixelLine =
    "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";

TEST(TgaWriter, WritesHeaderPixelsAndFooterAtTheLastPixel) {
    TempDir dir;
    CapturedStream errors;
    TgaWriter writer(2, 1, dir.path("one.tga").c_str(), errors.file());
    writer.writePixel(255, 128, 0);
    writer.writePixel(256, -1, -256);  // each component keeps its low eight bits
    EXPECT_TRUE(writer.complete());
    writer.writePixel(1, 1, 1);  // one too many: reported, and the file stays as it was
    const char expected[] =
        "\0\0\2\0\0\0\0\0\0\0\0\0\2\0\1\0\x18\x20"  // true colour, 2 × 1, top-left
        "\0\x80\xff\0\xff\0"                        // blue, green, red
        "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";        // the 2.0 footer, and its NUL
    EXPECT_EQ(readFile(dir.path("one.tga")), std::string(expected, sizeof expected));
    EXPECT_EQ(errors.text(), kPixelLine);
    TgaWriter wide(256, 258, dir.path("big.tga").c_str());
    for (int pixel = 0; pixel < 256 * 258; ++pixel) wide.writePixel(0, 0, 0);
    EXPECT_EQ(readFile(dir.path("big.tga")).substr(12, 4), std::string("\0\1\2\1", 4));
}

// Reported once: an output it cannot open, before each pixel's own line, and the first failing
// write on a full device (the flush, the footer or a pixel as the picture grows), then silence.
TEST(TgaWriter, ReportsWhatItCannotWriteOnce) {
    TempDir dir;
    CapturedStream errors;
    const std::string name = dir.path("no-such-dir/out.tga");
    TgaWriter unopened(2, 1, name.c_str(), errors.file());
    for (int pixel = 0; pixel < 2; ++pixel) unopened.writePixel(0, 0, 0);
    EXPECT_EQ(errors.text(), "ERROR: Unable to write to " + name + ".\n" + kPixelLine + kPixelLine);
    for (std::uint32_t height = 1; height <= 3000; ++height) {
        CapturedStream full;
        TgaWriter writer(1, height, "/dev/full", full.file());
        for (std::uint32_t pixel = 0; pixel <= height; ++pixel) writer.writePixel(1, 2, 3);
        ASSERT_FALSE(writer.complete() || writer.isOpen()) << height;
        ASSERT_EQ(full.text(), "ERROR: Unable to write to /dev/full.\n") << height;
    }
}
