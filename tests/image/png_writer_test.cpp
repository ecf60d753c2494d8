#include "image/png_writer.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "support/temp_file.h"

// The signature and header chunk of a 2 × 1 PNG of 8-bit red, green and blue, not interlaced.
const std::string kPngStart("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\2\0\0\0\1\x08\x02\0\0\0", 29);
const std::string kTgaStart("\0\0\2", 3);  // uncompressed true colour

TEST(PictureWriter, WritesPngForNamesEndingInPngInAnyCaseAndTargaForOthers) {
    TempDir dir;
    for (const auto& [name, start] : {std::pair("a.png", kPngStart),
                                      {"b.PNG", kPngStart},
                                      {"c.Png", kPngStart},
                                      {"png", kTgaStart},
                                      {"d.png.tga", kTgaStart},
                                      {"e.pngs", kTgaStart}}) {
        const auto writer = openPictureWriter(2, 1, dir.path(name).c_str());
        writer->writePixel(1, 2, 3);
        writer->writePixel(4, 5, 6);
        EXPECT_TRUE(writer->complete()) << name;
        EXPECT_EQ(readFile(dir.path(name)).substr(0, start.size()), start) << name;
    }
}

// Reported once, leaving no file: a header libpng refuses, an output that cannot be opened, and
// a full device refusing the end of the picture or rows on the way.
TEST(PngWriter, ReportsWhatItCannotWriteOnceAndLeavesNoFile) {
    TempDir dir;
    ASSERT_EQ(symlink("/dev/full", dir.path("full.png").c_str()), 0);
    const auto before = dir.entries();
    const struct {
        const char* name;
        std::uint32_t width, height;
    } cases[] = {
        {"empty.png", 0, 1}, {"missing/o.png", 1, 1}, {"full.png", 1, 1}, {"full.png", 300, 200}};
    for (const auto& c : cases) {
        const std::string name = dir.path(c.name);
        CapturedStream errors;
        PngWriter writer(c.width, c.height, name.c_str(), errors.file());
        // Pixels that do not compress to nothing.
        for (std::uint32_t pixel = 0; pixel < c.width * c.height; ++pixel) {
            writer.writePixel(pixel * 7919 >> 3, pixel * 104729 >> 5, pixel);
        }
        EXPECT_FALSE(writer.complete() || writer.isOpen()) << name;
        EXPECT_EQ(errors.text(), "ERROR: Unable to write to " + name + ".\n");
    }
    const int status =
        std::system((ORVANE_EXECUTABLE " " ORVANE_EXAMPLES_DIR "/lights.ray 300 200 " +
                     dir.path("full.png") + " > /dev/null 2>&1")
                        .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "a run that writes it fails";
    EXPECT_EQ(dir.entries(), before);
}
