#include "image/tga_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_file.h"

namespace {

// The header up to the picture size: uncompressed true colour, no colour map.
const std::string kLead("\0\0\2\0\0\0\0\0\0\0\0\0", 12);
const std::string kFooter("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.", 26);  // with its final NUL

}  // namespace

TEST(TgaWriter, WritesHeaderPixelsAndFooterAtLastPixel) {
    TempDir dir;
    const std::string one = dir.path("one.tga"), two = dir.path("two.tga");
    TgaWriter(1, 1, one.c_str()).writePixel(255, 128, 0);
    EXPECT_EQ(readFile(one), kLead + std::string("\1\0\1\0\x18\x20\0\x80\xff", 9) + kFooter);
    TgaWriter writer(2, 1, two.c_str());
    writer.writePixel(-1, 256, 256);  // each component keeps its low eight bits
    writer.writePixel(256, -256, -1);
    EXPECT_EQ(readFile(two), kLead + std::string("\2\0\1\0\x18\x20\0\0\xff\xff\0\0", 12) + kFooter);
    // Destroyed early, a writer leaves the header and the pixels written so far.
    for (int written = 0; written < 4; ++written) {
        {
            TgaWriter early(256, 2, one.c_str());
            for (int pixel = 0; pixel < written; ++pixel) early.writePixel(9, 9, 9);
        }
        EXPECT_EQ(readFile(one),
                  kLead + std::string("\0\1\2\0\x18\x20", 6) + std::string(3 * written, '\x09'));
    }
}

TEST(TgaWriter, ReportsEveryPixelItCannotWrite) {
    TempDir dir;
    CapturedStream errors;
    TgaWriter complete(1, 1, dir.path("out.tga").c_str(), errors.file());
    complete.writePixel(0, 0, 0);
    complete.writePixel(0, 0, 0);
    const std::string name = dir.path("no-such-dir/out.tga");
    TgaWriter writer(2, 1, name.c_str(), errors.file());
    writer.writePixel(0, 0, 0);
    writer.writePixel(0, 0, 0);
    const std::string pixel =
        "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";
    EXPECT_EQ(errors.text(), pixel + "ERROR: Unable to write to " + name + ".\n" + pixel + pixel);
    // An output that never opened keeps the run's success.
    EXPECT_FALSE(writer.failed());
    EXPECT_FALSE(complete.failed());
}

TEST(TgaWriter, ReportsFirstFailedWriteOnceAndDropsTheRest) {
    // A small file fails only at its flush, a large one at a byte write.
    for (const std::uint32_t width : {1u, 200u}) {
        SCOPED_TRACE(width);
        CapturedStream errors;
        TgaWriter writer(width, 100, "/dev/full", errors.file());
        for (std::uint32_t pixel = 0; pixel <= width * 100; ++pixel) writer.writePixel(1, 2, 3);
        EXPECT_TRUE(writer.failed());
        EXPECT_EQ(writer.outFile, nullptr);
        EXPECT_EQ(errors.text(), "ERROR: Unable to write to /dev/full.\n");
    }
}
