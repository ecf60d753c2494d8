#include "image/pcx_texture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

// An indexedPicture whose data section is exactly the given bytes.
PcxFile codedPicture(int width, int height, std::vector<unsigned char> data) {
    PcxFile file = indexedPicture(width, height, {});
    file.data = std::move(data);
    return file;
}

}  // namespace

TEST(PcxTexture, DecodesRunLengthDataAsOneStream) {
    struct Case {
        const char* name;
        int width;  // two rows
        std::vector<unsigned char> data;
        std::vector<int> indices;
    };
    const Case cases[] = {
        {"one run", 2, {0xC4, 0x07}, {7, 7, 7, 7}},
        {"literals and a run of one", 2, {0x05, 0xC1, 0xC8, 0x03, 0x00}, {5, 200, 3, 0}},
        {"empty run stores nothing", 2, {0xC0, 0x09, 0xC4, 0x01}, {1, 1, 1, 1}},
        {"run past the end is cut short", 2, {0x02, 0xC5, 0x06}, {2, 6, 6, 6}},
        {"run across rows", 2, {0xC3, 0x04, 0x08}, {4, 4, 4, 8}},
        {"data running into the palette block", 2, {0x01}, {1, 12, 0, 0}},
        {"pad byte read as next pixel", 3, {1, 2, 3, 0, 4, 5, 6, 0}, {1, 2, 3, 0, 4, 5}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PcxFile file = codedPicture(c.width, 2, c.data);
        file.palette = {};
        PcxTexture texture;
        ASSERT_TRUE(texture.load(dir.write("a.pcx", file.bytes()).c_str()));
        EXPECT_EQ(texture.width, c.width);
        EXPECT_EQ(texture.height, 2);
        for (std::size_t i = 0; i < c.indices.size(); ++i) {
            EXPECT_EQ(texture.image[i], c.indices[i]) << "pixel " << i;
        }
    }
}

TEST(PcxTexture, FillsPixelsPastEndOfFileWithIndex255) {
    // The zero palette block reads as 768 pixels after the marker; its last byte opens a run
    // whose value byte is missing.
    PcxFile file = codedPicture(40, 20, {});
    file.palette = {};
    file.palette[767] = 0xC3;
    TempDir dir;
    PcxTexture texture;
    ASSERT_TRUE(texture.load(dir.write("a.pcx", file.bytes()).c_str()));
    EXPECT_EQ(texture.image[0], 12);
    EXPECT_EQ(texture.image[767], 0);
    for (int i = 768; i < 800; ++i) ASSERT_EQ(texture.image[i], 255) << "pixel " << i;
}

TEST(PcxTexture, LooksUpPaletteAsUnitFloatsClampedToPicture) {
    PcxFile file = codedPicture(3, 2, {0, 1, 2, 3, 4, 5});
    file.palette[3] = 0;
    file.palette[4] = 51;
    file.palette[5] = 255;
    TempDir dir;
    PcxTexture texture;
    ASSERT_TRUE(texture.load(dir.write("a.pcx", file.bytes()).c_str()));
    EXPECT_EQ(texture.redAt(1, 0), 0.0f);
    EXPECT_EQ(texture.greenAt(1, 0), 0.2f);
    EXPECT_EQ(texture.blueAt(1, 0), 1.0f);
    EXPECT_EQ(indexFromRed(texture.redAt(0, 1)), 3);  // image position 3
    EXPECT_EQ(indexFromRed(texture.redAt(3, 0)), 2);
    EXPECT_EQ(indexFromRed(texture.redAt(-1, 2)), 3);
    EXPECT_EQ(indexFromRed(texture.redAt(1 << 30, 1 << 30)), 5);
}

TEST(PcxTexture, RejectsHostileFiles) {
    const auto with = [](auto change) {
        PcxFile file = codedPicture(4, 4, {0xCF, 0x01});
        change(file);
        return file.bytes();
    };
    const std::string valid = with([](PcxFile&) {});
    const std::pair<const char*, std::string> cases[] = {
        {"wrong manufacturer", with([](PcxFile& f) { f.manufacturer = 11; })},
        {"version 3", with([](PcxFile& f) { f.version = 3; })},
        {"no palette marker", with([](PcxFile& f) { f.paletteMarker = 11; })},
        {"xmax below xmin", with([](PcxFile& f) { f.xMin = 5; })},
        {"ymax below ymin", with([](PcxFile& f) { f.yMin = 9; })},
        {"65535 x 65535 window", with([](PcxFile& f) { f.xMax = f.yMax = 65535; })},
        {"more than 2^26 pixels", with([](PcxFile& f) {
             f.xMax = 8192;
             f.yMax = 8191;
             f.data.assign(1070000, 0);
         })},
        // An empty data section leaves 769 bytes, enough for 63 × 769 pixels.
        {"more than 63 pixels per byte", codedPicture(63 * 769 + 1, 1, {}).bytes()},
        {"header only", valid.substr(0, 128)},
        // The palette block would begin inside the header, at a marker byte planted there.
        {"shorter than header and palette", valid.substr(0, 127) + '\x0c' + valid.substr(128, 768)},
        {"truncated header", valid.substr(0, 6)},
        {"empty", ""},
    };
    TempDir dir;
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(PcxTexture().load(dir.write("a.pcx", bytes).c_str()));
    }
    EXPECT_TRUE(PcxTexture().load(dir.write("a.pcx", valid).c_str()));
    EXPECT_TRUE(
        PcxTexture().load(dir.write("a.pcx", codedPicture(63 * 769, 1, {}).bytes()).c_str()));
    PcxTexture untouched;
    EXPECT_FALSE(untouched.load(dir.path("missing.pcx").c_str()));
    EXPECT_FALSE(untouched.load(dir.path("").c_str()));  // a directory
    EXPECT_FALSE(untouched.load(nullptr));
    // Opening a pipe without a writer would wait for one.
    ASSERT_EQ(mkfifo(dir.path("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(untouched.load(dir.path("pipe").c_str()));
    EXPECT_EQ(untouched.image, nullptr);
    EXPECT_EQ(untouched.palette, nullptr);
}

TEST(PcxTexture, RandomDataNeverReadsOutsidePicture) {
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    TempDir dir;
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        PcxFile file = codedPicture(1 + random() % 40, 1 + random() % 40, {});
        file.data.resize(random() % 2000);
        for (unsigned char& byte : file.data) byte = static_cast<unsigned char>(random());
        std::string bytes = file.bytes();
        bytes.resize(bytes.size() - random() % 1000);
        PcxTexture texture;
        if (!texture.load(dir.write("a.pcx", bytes).c_str())) continue;
        for (int v = -1; v <= texture.height; ++v) {
            for (int u = -1; u <= texture.width; ++u) ASSERT_LE(texture.redAt(u, v), 1.0f);
        }
    }
}

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // red, green, blue of each pixel, top row first
};

// Pixel p of the texture is stream position p; a file row holds bytesPerLine of them, the ones
// past the picture's width being pad bytes.
void expectShowsPicture(const PcxTexture& texture, const Picture& picture, int bytesPerLine) {
    ASSERT_EQ(texture.width, picture.width);
    ASSERT_EQ(texture.height, picture.height);
    const auto byte = [](float unit) { return static_cast<int>(std::lround(unit * 255.0f)); };
    for (int p = 0; p < picture.width * picture.height; ++p) {
        if (p % bytesPerLine >= picture.width) continue;  // a pad byte, whatever the encoder put
        const unsigned char* rgb =
            &picture.rgb[3 * (p / bytesPerLine * picture.width + p % bytesPerLine)];
        const int u = p % picture.width;
        const int v = p / picture.width;
        ASSERT_EQ(byte(texture.redAt(u, v)), rgb[0]) << "pixel " << u << ", " << v;
        ASSERT_EQ(byte(texture.greenAt(u, v)), rgb[1]) << "pixel " << u << ", " << v;
        ASSERT_EQ(byte(texture.blueAt(u, v)), rgb[2]) << "pixel " << u << ", " << v;
    }
}

bool imageMagickInstalled() {
    std::FILE* pipe = popen("convert -version 2>/dev/null", "r");
    if (pipe == nullptr) return false;
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    return pclose(pipe) == 0 && output.find("ImageMagick") != std::string::npos;
}

}  // namespace

TEST(PcxTexture, LoadsImageMagickFixture) {
    // Regenerate in tests/image/fixtures with
    //   convert imagemagick_5x2.ppm -type Palette pcx:imagemagick_5x2.pcx
    // The encoder gives this odd width 5 bytes per line, so there is no pad byte to read.
    const std::string fixtures = ORVANE_TEST_FIXTURES_DIR;
    PcxTexture texture;
    ASSERT_TRUE(texture.load((fixtures + "/imagemagick_5x2.pcx").c_str()));
    const unsigned char indices[] = {1, 1, 1, 2, 4, 5, 5, 0, 0, 3};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(texture.image[i], indices[i]) << "pixel " << i;
    const std::string ppm = readFile(fixtures + "/imagemagick_5x2.ppm");
    expectShowsPicture(texture, {5, 2, {ppm.end() - 30, ppm.end()}}, 5);
}

TEST(PcxTexture, LoadsPicturesImageMagickEncodes) {
    if (!imageMagickInstalled()) GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    const unsigned char colours[][3] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {51, 102, 153}, {255, 255, 255}};
    const int sizes[][2] = {{1, 1}, {3, 3}, {5, 2}, {64, 2}, {130, 3}};
    TempDir dir;
    for (const auto& size : sizes) {
        Picture picture{size[0], size[1], {}};
        SCOPED_TRACE(std::to_string(picture.width) + " x " + std::to_string(picture.height));
        std::string ppm =
            "P6\n" + std::to_string(size[0]) + " " + std::to_string(size[1]) + "\n255\n";
        // A long run on the left, mixed colours on the right.
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const unsigned char* c = colours[x <= picture.width / 2 ? 0 : (7 * x + 3 * y) % 5];
                picture.rgb.insert(picture.rgb.end(), c, c + 3);
                ppm.append(c, c + 3);
            }
        }
        const std::string pcx = dir.path("out.pcx");
        const std::string command =
            "convert '" + dir.write("in.ppm", ppm) + "' -type Palette 'pcx:" + pcx + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string bytes = readFile(pcx);
        ASSERT_GT(bytes.size(), 128u);
        ASSERT_EQ(bytes[3], 8) << "bits per pixel";
        ASSERT_EQ(bytes[65], 1) << "colour planes";
        PcxTexture texture;
        ASSERT_TRUE(texture.load(pcx.c_str()));
        expectShowsPicture(
            texture, picture,
            static_cast<unsigned char>(bytes[66]) | static_cast<unsigned char>(bytes[67]) << 8);
    }
}
