#include "image/tga_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/outside_tool.h"
#include "support/ppm_picture.h"
#include "support/temp_file.h"

namespace {

// The header up to the picture size: uncompressed true colour, no colour map.
const std::string kLead("\0\0\2\0\0\0\0\0\0\0\0\0", 12);
const std::string kFooter("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.", 26);  // with its final NUL

struct WrittenPicture {
    std::string name;
    std::string file;
    PpmPicture expected;
};

// A width × height picture written through the writer, every pixel different from its
// neighbours; a 256-wide row holds every byte value in each channel.
WrittenPicture writePattern(const TempDir& dir, int width, int height) {
    const std::string name = std::to_string(width) + "x" + std::to_string(height);
    WrittenPicture picture{name, dir.path(name + ".tga"), {width, height, ""}};
    TgaWriter writer(width, height, picture.file.c_str());
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int red = column % 256, green = (85 * row + 3 * column) % 256, blue = 255 - red;
            writer.writePixel(red, green, blue);
            picture.expected.rgb +=
                {static_cast<char>(red), static_cast<char>(green), static_cast<char>(blue)};
        }
    }
    return picture;
}

// The pixels of a complete top-left Targa file, read straight from its blue, green, red body.
PpmPicture targaBody(const std::string& tga) {
    const auto byteAt = [&](std::size_t at) { return static_cast<unsigned char>(tga[at]); };
    PpmPicture picture{byteAt(12) | byteAt(13) << 8, byteAt(14) | byteAt(15) << 8, ""};
    for (std::size_t at = 18; at + 3 <= tga.size() - kFooter.size(); at += 3)
        picture.rgb += {tga[at + 2], tga[at + 1], tga[at]};
    return picture;
}

// Odd and edge sizes written through the writer, and a real render of the showcase example run
// from the examples folder as a user would.
std::vector<WrittenPicture> picturesToRead(const TempDir& dir) {
    std::vector<WrittenPicture> pictures = {writePattern(dir, 1, 1), writePattern(dir, 7, 5),
                                            writePattern(dir, 256, 2)};
    const std::string render = dir.path("showcase.tga");
    const std::string command = "cd " + shellQuoted(ORVANE_EXAMPLES_DIR) + " && " +
                                shellQuoted(ORVANE_EXECUTABLE) + " showcase.ray 160 120 " +
                                shellQuoted(render) + " -recurse 3 >/dev/null";
    EXPECT_EQ(runCommand(command).status, 0) << command;
    pictures.push_back({"showcase render", render, targaBody(readFile(render))});
    return pictures;
}

}  // namespace

TEST(TgaWriter, WritesHeaderPixelsAndFooterAtLastPixel) {
    TempDir dir;
    const std::string one = dir.path("one.tga"), two = dir.path("two.tga");
    TgaWriter(1, 1, one.c_str()).writePixel(255, 128, 0);
    const std::string complete = kLead + std::string("\1\0\1\0\x18\x20\0\x80\xff", 9) + kFooter;
    EXPECT_EQ(readFile(one), complete);
    TgaWriter writer(2, 1, two.c_str());
    writer.writePixel(-1, 256, 256);  // each component keeps its low eight bits
    writer.writePixel(256, -256, -1);
    EXPECT_TRUE(writer.complete());
    EXPECT_EQ(readFile(two), kLead + std::string("\2\0\1\0\x18\x20\0\0\xff\xff\0\0", 12) + kFooter);
    // Destroyed early, a writer leaves the old picture as it was.
    const auto before = dir.entries();
    for (int written = 0; written < 4; ++written) {
        {
            TgaWriter early(256, 2, one.c_str());
            for (int pixel = 0; pixel < written; ++pixel) early.writePixel(9, 9, 9);
            EXPECT_FALSE(early.complete());
        }
        EXPECT_EQ(dir.entries(), before) << written;
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
    EXPECT_FALSE(writer.isOpen());
    writer.writePixel(0, 0, 0);
    writer.writePixel(0, 0, 0);
    const std::string pixel =
        "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";
    EXPECT_EQ(errors.text(), pixel + "ERROR: Unable to write to " + name + ".\n" + pixel + pixel);
    EXPECT_TRUE(complete.complete());
    EXPECT_FALSE(writer.complete());
}

TEST(TgaWriter, ReportsFirstFailedWriteOnceAndDropsTheRest) {
    // A small file fails only at its flush, a large one at a byte write.
    for (const std::uint32_t width : {1u, 200u}) {
        SCOPED_TRACE(width);
        CapturedStream errors;
        TgaWriter writer(width, 100, "/dev/full", errors.file());
        for (std::uint32_t pixel = 0; pixel <= width * 100; ++pixel) writer.writePixel(1, 2, 3);
        EXPECT_FALSE(writer.complete());
        EXPECT_FALSE(writer.isOpen());
        EXPECT_EQ(errors.text(), "ERROR: Unable to write to /dev/full.\n");
    }
}

TEST(TgaWriter, ImageMagickReadsTopLeftTrueColourPictures) {
    if (!hasImageMagick())
        GTEST_SKIP() << "needs ImageMagick's convert and identify: package imagemagick";
    TempDir dir;
    for (const WrittenPicture& picture : picturesToRead(dir)) {
        SCOPED_TRACE(picture.name);
        const std::string file = shellQuoted(picture.file);
        const std::string size =
            std::to_string(picture.expected.width) + "x" + std::to_string(picture.expected.height);
        // Three 8-bit channels without alpha is 24 bits a pixel; an unflipped, uncompressed file.
        const CommandResult identified = runCommand(
            "identify -format '%m %wx%h %z-bit %[channels] alpha=%A %[orientation] "
            "%[compression]' " +
            file);
        EXPECT_EQ(identified.output, "TGA " + size + " 8-bit srgb alpha=False TopLeft None");
        const std::string plainPpm = runCommand("convert " + file + " -compress none ppm:-").output;
        ASSERT_EQ(plainPpm.substr(0, 2), "P3");
        EXPECT_EQ(firstDifference(parsePpm(plainPpm), picture.expected), "");
    }
}

TEST(TgaWriter, NetpbmReadsTheSamePixels) {
    if (!hasNetpbm()) GTEST_SKIP() << "needs netpbm's tgatoppm: package netpbm";
    TempDir dir;
    for (const WrittenPicture& picture : picturesToRead(dir)) {
        const CommandResult ppm = runCommand("tgatoppm " + shellQuoted(picture.file));
        EXPECT_EQ(ppm.status, 0) << picture.name;
        EXPECT_EQ(firstDifference(parsePpm(ppm.output), picture.expected), "") << picture.name;
    }
}
