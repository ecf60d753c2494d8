#include "image/pcx_texture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <tuple>
#include <vector>

#include "image/texture_cache.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

// Each file's pixels as decoded, or why it is refused.
TEST(PcxTexture, DecodesRunLengthDataAsOneStreamAndRefusesFilesItCannotShow) {
    TempDir dir;
    const std::string valid = PcxFile().bytes();
    const std::string square = PcxFile(2, 2).bytes().substr(0, 128);  // a 2 × 2 picture's header
    const auto coded = [&](const std::vector<unsigned char>& data) {  // palette: empty runs
        return square + std::string(data.begin(), data.end()) + '\x0c' + std::string(768, '\xC0');
    };
    using P = PcxProblem;
    const std::tuple<const char*, std::string, std::vector<int>, PcxProblem> cases[] = {
        {"literals and a run of one",
         coded({0x05, 0xC1, 0xC8, 0x03, 0x00}),
         {5, 200, 3, 0},
         P::None},
        {"empty run stores nothing", coded({0xC0, 0x09, 0xC4, 0x01}), {1, 1, 1, 1}, P::None},
        {"run cut at the end of the picture", coded({0xBF, 0xC5, 0x06}), {191, 6, 6, 6}, P::None},
        // the marker, then empty runs
        {"data ending early", coded({0x01}), {1, 12, 255, 255}, P::None},
        {"valid", valid, {0}, P::None},
        {"wrong manufacturer", std::string(valid).replace(0, 1, "\x0b"), {}, P::NotPcx},
        {"version 3", std::string(valid).replace(1, 1, "\x03"), {}, P::NotVersion5},
        {"empty window", std::string(valid).replace(4, 1, "\x01"), {}, P::EmptyWindow},
        {"too many pixels for its data",
         std::string(valid).replace(8, 3, "\xdc\0\xdc", 3),
         {},
         P::CutShort},
        {"too many pixels", std::string(valid).replace(8, 4, "\0\x20\0\x20", 4), {}, P::TooLarge},
        {"no palette marker",
         std::string(valid).replace(valid.size() - 769, 1, "\x0b"),
         {},
         P::NoPalette},
        {"palette over the header", valid.substr(0, 127) + valid.substr(130), {}, P::CutShort},
        {"three planes, no palette",
         std::string(valid).replace(65, 1, "\x03").substr(0, 130) + std::string(800, '\0'),
         {},
         P::NotEightBitsOnePlane},
        {"one bit a pixel",
         std::string(valid).replace(3, 1, "\x01").replace(valid.size() - 769, 1, "x"),
         {},
         P::NotEightBitsOnePlane},
    };
    for (const auto& [name, bytes, pixels, problem] : cases) {
        PcxTexture texture;
        ASSERT_EQ(texture.loadOrExplain(dir.write("a.pcx", bytes).c_str()), problem) << name;
        EXPECT_EQ(std::vector<int>(texture.image.get(), texture.image.get() + pixels.size()),
                  pixels)
            << name;
    }
    EXPECT_EQ(PcxTexture().loadOrExplain(dir.path("missing.pcx").c_str()), P::Missing);
    ASSERT_EQ(mkfifo(dir.path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(PcxTexture().loadOrExplain(dir.path("fifo").c_str()), P::NotRegularFile)
        << "a fifo waits for a writer";
    EXPECT_FALSE(PcxTexture().load(nullptr));
}

TEST(PcxTexture, LooksUpThePaletteEntryOfEachPixelAsUnitFloats) {
    TempDir dir;
    const std::string path = dir.write("a.pcx", PcxFile(300, 2).bytes());
    PcxTexture texture;  // pixel k has index k mod 256; entry k: red k, green 255 - k, blue k / 2
    ASSERT_TRUE(texture.load(path.c_str()));
    EXPECT_EQ(texture.source, identityOf(path.c_str()));
    for (int k = 0; k < 600; ++k) {
        const int u = k % 300, v = k / 300, index = k % 256;
        ASSERT_EQ(std::tuple(texture.redAt(u, v), texture.greenAt(u, v), texture.blueAt(u, v)),
                  std::tuple(index / 255.0f, (255 - index) / 255.0f, index / 2 / 255.0f));
    }
    EXPECT_EQ(texture.redAt(-1, 1), texture.redAt(0, 1));  // outside: the nearest edge pixel
    EXPECT_EQ(texture.redAt(300, 2), texture.redAt(299, 1));
}

TEST(TextureCache, LoadsEachNameOnceAndSharesThePicture) {
    TempDir dir;
    const std::string name = dir.write("a.pcx", PcxFile(2, 3).bytes()), late = dir.path("late");
    TextureCache cache;
    const auto texture = cache.find(name.c_str());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(cache.find(late.c_str()), nullptr);
    dir.write("late", PcxFile().bytes());  // a name that failed stays failed
    EXPECT_EQ(cache.find(late.c_str()), nullptr);
    EXPECT_EQ(cache.find(name.c_str()), texture);
    EXPECT_EQ(cache.find(nullptr), nullptr);
}
