#include "image/tga_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_file.h"

namespace {

const std::string kPixelMessage =
    "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";
// The header up to the picture size: uncompressed true colour, no colour map.
const std::string kLead("\0\0\2\0\0\0\0\0\0\0\0\0", 12);
const std::string kFooter("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.", 26);  // with its final NUL

}  // namespace

TEST(TgaWriter, CompletesFileAtLastPixelThenRefusesMore) {
    TempDir dir;
    CapturedStream errors;
    const std::string one = dir.path("one.tga"), two = dir.path("two.tga");
    TgaWriter(1, 1, one.c_str(), errors.file()).writePixel(255, 128, 0);
    EXPECT_EQ(readFile(one), kLead + std::string("\1\0\1\0\x18\x20\0\x80\xff", 9) + kFooter);
    TgaWriter writer(2, 1, two.c_str(), errors.file());
    writer.writePixel(-1, 256, -256);  // each component keeps its low eight bits
    writer.writePixel(0, 512, 511);
    EXPECT_EQ(readFile(two), kLead + std::string("\2\0\1\0\x18\x20\0\0\xff\xff\0\0", 12) + kFooter);
    writer.writePixel(4, 5, 6);
    EXPECT_EQ(errors.text(), kPixelMessage);  // nothing before it
}

TEST(TgaWriter, UnopenableFileReportsOnceThenEveryPixel) {
    TempDir dir;
    CapturedStream errors;
    const std::string name = dir.path("no-such-dir/out.tga");
    TgaWriter writer(2, 1, name.c_str(), errors.file());
    writer.writePixel(0, 0, 0);
    writer.writePixel(0, 0, 0);
    EXPECT_EQ(errors.text(),
              "ERROR: Unable to write to " + name + ".\n" + kPixelMessage + kPixelMessage);
}

TEST(TgaWriter, DestroyedEarlyLeavesHeaderAndPixelsWritten) {
    TempDir dir;
    const std::string name = dir.path("out.tga");
    for (int written = 0; written < 4; ++written) {
        {
            TgaWriter writer(256, 2, name.c_str());
            for (int pixel = 0; pixel < written; ++pixel) writer.writePixel(9, 9, 9);
        }
        EXPECT_EQ(readFile(name),
                  kLead + std::string("\0\1\2\0\x18\x20", 6) + std::string(3 * written, '\x09'))
            << written;
    }
}
