// The block reader against the stdio reader it replaced, on scene texts made to trip it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "render/tracer.h"
#include "scene/scene_reader.h"
#include "support/pcx_file.h"
#include "support/reader_difference.h"
#include "support/temp_file.h"

namespace {

// Spellings that "%f" reads whole, reads in part, or refuses, leaving them for the next read.
const char kOddNumbers[] =
    "+1 -0 .5 5. -.5e-3 1E+05 1e 1e+ 1e+x 7abc +-1 --1 - + . .e1 nan -nan NaN(x_1) nan( nan() inf "
    "-Infinity infinit INFx 0x1p3 0X1.8P-2 -0x.8 0x 0xg 0x1p 1e999 -1e999 1e-50 1e-40 "
    "3.4028236e38 1,5 1.2.3 1e5.5 1e0000000000000000000000000005 0e99999999999999999999";

// About length bytes of objects with numbers in every spelling, long tokens, stray bytes and
// unknown words, cut off at a random point.
std::string hostileScene(std::uint32_t seed, std::size_t length,
                         const std::vector<std::string>& textures) {
    std::mt19937 random(seed);
    const auto pick = [&](std::size_t count) { return random() % count; };
    std::vector<std::string> odd;
    std::istringstream words(kOddNumbers);
    for (std::string word; words >> word;) odd.push_back(word);
    const auto number = [&]() -> std::string {
        char text[80];
        switch (pick(8)) {
            case 0:
                return odd[pick(odd.size())];
            case 1: {  // any float at all, denormals, nan and inf included
                const std::uint32_t bits = static_cast<std::uint32_t>(random());
                float value;
                std::memcpy(&value, &bits, sizeof value);
                const char* formats[] = {"%.9g", "%a", "%e", "%.60f"};
                std::snprintf(text, sizeof text, formats[pick(4)], static_cast<double>(value));
                return text;
            }
            case 2: {  // more digits than a float tells apart, now and then more than a block
                std::string digits = "-0." + std::string(pick(50) == 0 ? 70000 : pick(400), '0');
                for (char& digit : digits) digit = digit == '0' ? "0123456789"[pick(10)] : digit;
                return digits;
            }
            case 3:
                return std::to_string(static_cast<int>(pick(2000)) - 1000);
            default:
                std::snprintf(text, sizeof text, "%.9g", static_cast<double>(random()) / 1e7);
                return text;
        }
    };
    const auto texture = [&]() -> std::string {
        switch (pick(6)) {
            case 0:
                return textures[pick(textures.size())];
            case 1:  // around the longest token kept, and far beyond a block
                return std::string(pick(30) == 0 ? 70000 : 254 + pick(3), 't');
            case 2:
                return number();
            default:
                return "none";
        }
    };
    const char* keywords[] = {"Sphere", "Cylinder", "Plane", "Light", "sphere", "Light1"};
    const std::size_t counts[] = {9, 10, 9, 6, 3, 2};
    const char* separators[] = {" ", " ", "\n", "\t", "\r\n", " \v\f ", ""};
    std::string text;
    while (text.size() < length) {
        const std::size_t kind = pick(8) == 0 ? 4 + pick(2) : pick(4);
        std::string object = keywords[kind];
        const std::size_t numbers = counts[kind] + (pick(8) == 0 ? pick(5) : 2) - 2;
        for (std::size_t i = 0; i < numbers; ++i) (object += separators[pick(7)]) += number();
        if (kind != 3) (object += separators[pick(7)]) += texture();
        // A stray byte anywhere: a NUL, a high byte or a blank in the middle of a token.
        if (pick(10) == 0) object[pick(object.size())] = "\0\xff\n"[pick(3)];
        text += object + separators[pick(7)];
    }
    text.resize(pick(text.size() + 1));
    return text;
}

class SceneReaderDifferential : public testing::Test {
protected:
    TempDir dir;
    // Two sizes, so that a shape shows which one it was given.
    std::vector<std::string> textures = {dir.write("small.pcx", PcxFile(2, 4).bytes()),
                                         dir.write("large.pcx", PcxFile(6, 2).bytes())};
};

}  // namespace

TEST_F(SceneReaderDifferential, EchoesAndCreatesWhatTheStdioReaderDid) {
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        // Every tenth text spans several blocks, so that tokens straddle their edges.
        const std::size_t length = seed % 10 == 0 ? 300000 : 1 + seed * 7;
        const std::string path = dir.write("scene.ray", hostileScene(seed, length, textures));
        ASSERT_EQ(readerDifference(path), "") << "seed " << seed;
    }
    for (const std::string& path : {dir.path("missing.ray"), dir.path("")}) {
        EXPECT_EQ(readerDifference(path), "") << path;
    }
}

TEST_F(SceneReaderDifferential, ReadsAsStdioDoesWithBlocksOfAnySize) {
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        const std::string path = dir.write("scene.ray", hostileScene(seed, 1000, textures));
        for (const std::size_t blockSize : {1, 2, 3, 7, 64, 300}) {
            ASSERT_EQ(inputDifference(path, blockSize, seed), "")
                << "seed " << seed << ", blocks of " << blockSize;
        }
    }
}

TEST_F(SceneReaderDifferential, ReadsPipeAsItReadsFile) {
    // More than a pipe holds, so that reads find it partly written.
    const std::string text = hostileScene(1, 2000000, textures);
    const auto console = [](const std::string& path) {
        ShapeList shapes;
        LightList lights;
        CapturedStream out;
        SceneReader(path.c_str(), shapes, lights, out.file());
        return out.text();
    };
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([&] {
        for (std::size_t at = 0; at < text.size();) {
            const ssize_t wrote = write(ends[1], text.data() + at, text.size() - at);
            if (wrote <= 0) break;
            at += static_cast<std::size_t>(wrote);
        }
        close(ends[1]);
    });
    const std::string fromPipe = console("/dev/fd/" + std::to_string(ends[0]));
    // Whatever a faulty reader left unread, so that the writer can finish.
    for (char rest[4096]; read(ends[0], rest, sizeof rest) > 0;) {
    }
    writer.join();
    close(ends[0]);
    EXPECT_EQ(fromPipe, console(dir.write("scene.ray", text)));
}
