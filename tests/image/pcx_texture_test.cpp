#include "image/pcx_texture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "scene/scene.h"
#include "support/outside_tool.h"
#include "support/pcx_file.h"
#include "support/ppm_picture.h"
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

namespace {

// The 8-bit PCX that the README's texture command, without its resizing, makes of the picture
// file, or "" if it fails.
std::string imageMagickPcx(const std::string& picture) {
    const std::string pcx = picture + ".pcx";
    const std::string command =
        "convert " + shellQuoted(picture) +
        " -colorspace sRGB -quantize sRGB -colors 256 pcx:" + shellQuoted(pcx);
    return runCommand(command).status == 0 ? pcx : "";
}

// A width × height picture of five colours: a long run of one colour on the left of each row,
// the colours in turn on the right, so that rows and columns tell apart.
PpmPicture fiveColours(int width, int height) {
    const std::string colours("\xff\0\0\0\xff\0\0\0\xff\x33\x66\x99\xff\xff\xff", 15);
    PpmPicture picture{width, height, ""};
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int colour = column < width / 2 ? row % 5 : (column + 2 * row) % 5;
            picture.rgb += colours.substr(3 * colour, 3);
        }
    }
    return picture;
}

// Width × height of a full render of sceneText, as the framebuffer holds it.
std::vector<float> renderFloats(const TempDir& dir, const std::string& sceneText, int size) {
    CapturedStream console;
    Scene scene(size, size, dir.write("scene.ray", sceneText).c_str(), 0, console.file(),
                console.file());
    for (int y = scene.yMax; y > scene.yMax - size; --y) scene.traceRow(y);
    std::vector<float> floats;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const float* pixel = scene.framebuffer.pixel(column, row);
            floats.insert(floats.end(), pixel, pixel + 3);
        }
    }
    return floats;
}

}  // namespace

TEST(PcxTexture, LoadsPicturesImageMagickEncodes) {
    if (!hasImageMagick()) GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    TempDir dir;
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {3, 2}, {7, 5}, {64, 3}, {301, 3}};
    for (const auto& [width, height] : sizes) {
        const std::string name = std::to_string(width) + "x" + std::to_string(height);
        SCOPED_TRACE(name);
        const PpmPicture picture = fiveColours(width, height);
        const std::string pcx = imageMagickPcx(dir.write(name + ".ppm", picture.bytes()));
        ASSERT_NE(pcx, "");
        // The texture reads one byte a pixel as one stream: a pad byte would shift later rows.
        const std::string header = readFile(pcx).substr(0, 128);
        EXPECT_EQ(header[3], 8) << "bits per pixel";
        EXPECT_EQ(header[65], 1) << "planes";
        EXPECT_EQ((header[66] & 0xFF) | (header[67] & 0xFF) << 8, width) << "bytes per line";
        EXPECT_EQ(firstDifference(parsePpm(asPpm(pcx)), picture), "");
    }
}

TEST(PcxTexture, TextureCommandMakesLoadableTexturesOfColourAndGreyPhotos) {
    if (!hasImageMagick()) GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    // The command as the README and the manual page give it to users.
    const std::string docs = std::string(ORVANE_EXAMPLES_DIR) + "/../";
    const std::string readme = readFile(docs + "README.md");
    const std::size_t start = readme.find("convert photo.jpg -resize");
    ASSERT_NE(start, std::string::npos);
    const std::string command = readme.substr(start, readme.find('\n', start) - start);
    std::string manual = readFile(docs + "doc/Orvane.1.in");
    for (std::size_t at; (at = manual.find("\\-")) != std::string::npos;) manual.erase(at, 1);
    EXPECT_NE(manual.find(command + "\n"), std::string::npos) << command;
    TempDir dir;
    // A grey photograph already 256 pixels wide came out without sRGB colours as three 24-bit
    // planes and no palette.
    for (const char* photo : {"320x240 gradient:red-blue", "256x192 gradient:gray20-gray80",
                              "320x240 gradient:gray20-gray80"}) {
        SCOPED_TRACE(photo);
        const std::string make =
            "convert -size " + std::string(photo) + " " + shellQuoted(dir.path("photo.jpg"));
        ASSERT_EQ(runCommand(make).status, 0) << make;
        const std::string wood = dir.path("wood.pcx");
        ASSERT_EQ(runCommand("cd " + shellQuoted(dir.path("")) + " && " + command).status, 0);
        const PpmPicture decoded =
            parsePpm(runCommand("convert " + shellQuoted(wood) + " ppm:-").output);
        EXPECT_EQ(decoded.width, 256);
        EXPECT_EQ(decoded.height, 192);
        EXPECT_EQ(firstDifference(parsePpm(asPpm(wood)), decoded), "");
    }
}

TEST(PcxTexture, ImageMagickTextureShowsOnASphereQuarterByQuarter) {
    if (!hasImageMagick()) GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    TempDir dir;
    // A 5 × 3 texture in quarters split at column 2 and row 1: the file's first row goes to the
    // bottom of the sphere, its first columns to the left.
    const std::string red("\xff\0\0", 3), green("\0\xff\0", 3), blue("\0\0\xff", 3),
        white("\xff\xff\xff", 3);
    PpmPicture quarters{5, 3, ""};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 5; ++column)
            quarters.rgb += row < 1 ? (column < 2 ? red : green) : (column < 2 ? blue : white);
    }
    const std::string pcx = imageMagickPcx(dir.write("quarters.ppm", quarters.bytes()));
    ASSERT_NE(pcx, "");
    // Centred half a pixel off the grid, so that column x = 0 and row y = 0 fall left and below.
    const auto sphere = [](const std::string& colourAndTexture) {
        return "Sphere 0.5 0.5 0 20 " + colourAndTexture + "\nLight 0 0 256 1 1 1\n";
    };
    constexpr int kSize = 48;
    const std::vector<float> textured = renderFloats(dir, sphere("1 1 1 0 20 " + pcx), kSize);
    const std::vector<float> plain[] = {renderFloats(dir, sphere("1 0 0 0 20 none"), kSize),
                                        renderFloats(dir, sphere("0 1 0 0 20 none"), kSize),
                                        renderFloats(dir, sphere("0 0 1 0 20 none"), kSize),
                                        renderFloats(dir, sphere("1 1 1 0 20 none"), kSize)};
    for (int row = 0; row < kSize; ++row) {
        for (int column = 0; column < kSize; ++column) {
            const bool right = column - kSize / 2 > 0, top = kSize / 2 - row > 0;
            const std::vector<float>& expected = plain[2 * top + right];
            const std::size_t at = 3 * (static_cast<std::size_t>(row) * kSize + column);
            ASSERT_TRUE(std::equal(&textured[at], &textured[at] + 3, &expected[at]))
                << "column " << column << ", row " << row;
        }
    }
}
