#include "image/tga_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_file.h"

namespace {

const std::string kPixelMessage =
    "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";
const std::string kFooter = std::string(8, '\0') + "TRUEVISION-XFILE." + std::string(1, '\0');

std::string header(int widthLow, int widthHigh, int heightLow, int heightHigh) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = static_cast<char>(widthLow);
    bytes[13] = static_cast<char>(widthHigh);
    bytes[14] = static_cast<char>(heightLow);
    bytes[15] = static_cast<char>(heightHigh);
    bytes[16] = 24;
    bytes[17] = 32;
    return bytes;
}

}  // namespace

TEST(TgaWriter, CompletesFileAtLastPixel) {
    TempDir dir;
    CapturedStream errors;
    const std::string one = dir.path("one.tga");
    TgaWriter(1, 1, one.c_str(), errors.file()).writePixel(255, 128, 0);
    EXPECT_EQ(readFile(one), header(1, 0, 1, 0) + std::string("\x00\x80\xff", 3) + kFooter);
    EXPECT_EQ(readFile(one).size(), 47u);

    const std::string two = dir.path("two.tga");
    TgaWriter writer(2, 1, two.c_str(), errors.file());
    writer.writePixel(255, 0, 0);
    writer.writePixel(0, 0, 255);
    const unsigned char expected[] = {0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x18, 0x20, 0x00, 0x00,
                                      0xFF, 0xFF, 0x00, 0x00, 0,    0,    0,    0,    0,    0,
                                      0,    0,    'T',  'R',  'U',  'E',  'V',  'I',  'S',  'I',
                                      'O',  'N',  '-',  'X',  'F',  'I',  'L',  'E',  '.',  0x00};
    EXPECT_EQ(readFile(two), std::string(std::begin(expected), std::end(expected)));
    EXPECT_EQ(errors.text(), "");
    // Once complete, further pixels are refused and the file stays as it is.
    writer.writePixel(4, 5, 6);
    EXPECT_EQ(errors.text(), kPixelMessage);
    EXPECT_EQ(readFile(two), std::string(std::begin(expected), std::end(expected)));
}

TEST(TgaWriter, HeaderKeepsLow16BitsOfSize) {
    const std::uint32_t sizes[][2] = {{256, 2}, {65535, 300}, {65536 + 3, 0}, {0, 3}};
    const std::string headers[] = {header(0x00, 0x01, 0x02, 0x00), header(0xFF, 0xFF, 0x2C, 0x01),
                                   header(0x03, 0x00, 0x00, 0x00), header(0x00, 0x00, 0x03, 0x00)};
    TempDir dir;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(std::to_string(sizes[i][0]) + " x " + std::to_string(sizes[i][1]));
        const std::string name = dir.path("out.tga");
        { TgaWriter writer(sizes[i][0], sizes[i][1], name.c_str()); }
        // Nothing is written after the header; with a zero size no pixel could complete the file.
        EXPECT_EQ(readFile(name), headers[i]);
    }
}

TEST(TgaWriter, KeepsLowEightBitsOfEachComponent) {
    TempDir dir;
    const std::string name = dir.path("out.tga");
    TgaWriter writer(2, 1, name.c_str());
    writer.writePixel(256, -1, 511);
    writer.writePixel(-256, 1000, 128);
    EXPECT_EQ(readFile(name).substr(18, 6), std::string("\xff\xff\x00\x80\xe8\x00", 6));
}

TEST(TgaWriter, UnopenableFileReportsOnceThenEveryPixel) {
    TempDir dir;
    const std::string name = dir.path("no-such-dir/out.tga");
    CapturedStream errors;
    TgaWriter writer(2, 2, name.c_str(), errors.file());
    std::string expected = "ERROR: Unable to write to " + name + ".\n";
    for (int pixel = 0; pixel < 4; ++pixel) {
        writer.writePixel(0, 0, 0);
        expected += kPixelMessage;
    }
    EXPECT_EQ(errors.text(), expected);
}

TEST(TgaWriter, DestroyedEarlyLeavesHeaderAndPixelsWritten) {
    TempDir dir;
    for (int written = 1; written < 4; ++written) {
        const std::string name = dir.path("out.tga");
        {
            TgaWriter writer(2, 2, name.c_str());
            for (int pixel = 0; pixel < written; ++pixel) writer.writePixel(9, 9, 9);
        }
        EXPECT_EQ(readFile(name).size(), 18u + 3u * written) << written;
    }
}
