#include "image/pcx_texture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "support/pcx_file.h"
#include "support/temp_file.h"

TEST(PcxTexture, DecodesRunLengthDataAsOneStream) {
    const std::tuple<const char*, std::vector<unsigned char>, std::vector<int>> cases[] = {
        {"one run", {0xC4, 0x07}, {7, 7, 7, 7}},
        {"literals and a run of one", {0x05, 0xC1, 0xC8, 0x03, 0x00}, {5, 200, 3, 0}},
        {"empty run stores nothing", {0xC0, 0x09, 0xC4, 0x01}, {1, 1, 1, 1}},
        {"run cut at the end of the picture", {0xBF, 0xC5, 0x06}, {191, 6, 6, 6}},
        {"data ending early", {0x01}, {1, 12, 255, 255}},  // then the marker and empty runs
    };
    TempDir dir;
    for (const auto& [name, data, pixels] : cases) {
        PcxFile file(2, 2);
        file.data = data;
        std::string bytes = file.bytes();
        bytes.replace(bytes.size() - 768, 768, 768, '\xC0');  // a palette of empty runs
        PcxTexture texture;
        ASSERT_TRUE(texture.load(dir.write("a.pcx", bytes).c_str())) << name;
        EXPECT_EQ(std::vector<int>(texture.image.get(), texture.image.get() + 4), pixels) << name;
    }
}

TEST(PcxTexture, ReadsPaletteAsUnitFloats) {
    TempDir dir;
    PcxTexture texture;  // pixel (u, v) has index 128v + u; entry k: red k, green 255 - k
    ASSERT_TRUE(texture.load(dir.write("a.pcx", PcxFile(128, 2).bytes()).c_str()));
    EXPECT_EQ(texture.redAt(0, 0), 0.0f);
    EXPECT_EQ(texture.greenAt(0, 0), 1.0f);
    EXPECT_EQ(texture.redAt(51, 0), 0.2f);
    EXPECT_EQ(texture.redAt(127, 1), 1.0f);
    EXPECT_EQ(texture.redAt(-1, 1), texture.redAt(0, 1));  // outside: the nearest pixel
}

TEST(PcxTexture, RefusesFilesItCannotShow) {
    TempDir dir;
    const std::string valid = PcxFile().bytes();
    const auto changed = [&](std::size_t at, const std::string& bytes) {
        return dir.write(std::to_string(at), std::string(valid).replace(at, bytes.size(), bytes));
    };
    ASSERT_EQ(mkfifo(dir.path("fifo").c_str(), 0600), 0);
    const std::pair<const char*, std::string> cases[] = {
        {"wrong manufacturer", changed(0, "\x0b")},
        {"version 3", changed(1, "\x03")},
        {"xmax below xmin", changed(4, "\x01")},
        {"65535 x 65535 window", changed(8, "\xff\xff\xff\xff")},
        {"no palette marker", changed(valid.size() - 769, "\x0b")},
        // 896 bytes: the header but its last byte, then the palette block, which would overlap it.
        {"shorter than 897 bytes", dir.write("short", valid.substr(0, 127) + valid.substr(130))},
        {"a directory", dir.path("")},
        {"missing", dir.path("missing")},
        {"a fifo, which would wait for a writer", dir.path("fifo")},
    };
    for (const auto& [name, path] : cases) EXPECT_FALSE(PcxTexture().load(path.c_str())) << name;
    EXPECT_TRUE(PcxTexture().load(dir.write("valid", valid).c_str()));
}

namespace {

// The picture in file pcx as a binary PPM, or "unloadable".
std::string asPpm(const std::string& pcx) {
    PcxTexture t;
    if (!t.load(pcx.c_str())) return "unloadable";
    std::string ppm = "P6\n" + std::to_string(t.width) + " " + std::to_string(t.height) + "\n255\n";
    for (int p = 0; p < t.width * t.height; ++p) {
        const int u = p % t.width, v = p / t.width;
        for (float unit : {t.redAt(u, v), t.greenAt(u, v), t.blueAt(u, v)})
            ppm += static_cast<char>(unit * 255 + 0.5f);
    }
    return ppm;
}

}  // namespace

TEST(PcxTexture, LoadsImageMagickFixture) {
    // Regenerate in tests/image/fixtures with
    //   convert imagemagick_5x2.ppm -type Palette pcx:imagemagick_5x2.pcx
    const std::string fixture = std::string(ORVANE_TEST_FIXTURES_DIR) + "/imagemagick_5x2.";
    EXPECT_EQ(asPpm(fixture + "pcx"), readFile(fixture + "ppm"));
}

TEST(PcxTexture, LoadsPictureImageMagickEncodes) {
    if (std::system("convert -version 2>/dev/null | grep -q ImageMagick") != 0)
        GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    // 301 x 3: a long run on the left of each row, mixed colours on the right.
    const std::string colours("\xff\0\0\0\xff\0\0\0\xff\x33\x66\x99\xff\xff\xff", 15);
    std::string ppm = "P6\n301 3\n255\n";
    for (int p = 0; p < 301 * 3; ++p) ppm += colours.substr(p % 301 <= 150 ? 0 : 3 * (p % 5), 3);
    TempDir dir;
    const std::string pcx = dir.path("out.pcx");
    const std::string command =
        "convert '" + dir.write("in.ppm", ppm) + "' -type Palette 'pcx:" + pcx + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(asPpm(pcx), ppm);
}
