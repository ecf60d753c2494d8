// The block reader against the stdio reader it replaced, on scene texts made to trip it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "render/tracer.h"
#include "scene/scene_input.h"
#include "scene/scene_reader.h"
#include "support/pcx_file.h"
#include "support/reader_difference.h"
#include "support/temp_file.h"

namespace {

// Spellings that "%f" reads whole, reads in part, or refuses, leaving them for the next read.
const std::vector<std::string> kOddNumbers = {"+1",
                                              "-0",
                                              ".5",
                                              "5.",
                                              "-.5e-3",
                                              "1E+05",
                                              "1e",
                                              "1e+",
                                              "1e+x",
                                              "7abc",
                                              "+-1",
                                              "--1",
                                              "-",
                                              "+",
                                              ".",
                                              ".e1",
                                              "nan",
                                              "-nan",
                                              "NaN(x_1)",
                                              "nan(",
                                              "nan()",
                                              "inf",
                                              "-Infinity",
                                              "infinit",
                                              "INFx",
                                              "0x1p3",
                                              "0X1.8P-2",
                                              "-0x.8",
                                              "0x",
                                              "0xg",
                                              "0x1p",
                                              "1e999",
                                              "-1e999",
                                              "1e-50",
                                              "1e-40",
                                              "3.4028236e38",
                                              "1,5",
                                              "1.2.3",
                                              "1e5.5",
                                              "1e0000000000000000000000000005",
                                              "0e99999999999999999999",
                                              std::string("1\0", 2),
                                              std::string("\0", 1),
                                              "\xff"};

const char* const kKeywords[] = {"Sphere", "Cylinder", "Plane", "Light"};
const int kNumberCounts[] = {9, 10, 9, 6};
const char* const kSeparators[] = {" ", " ", "\n", "\t", "\r\n", " \v\f ", ""};

class HostileScene {
public:
    HostileScene(std::uint32_t seed, std::vector<std::string> textures)
        : random_(seed), textures_(std::move(textures)) {}

    // About length bytes of objects.
    std::string text(std::size_t length) {
        std::string text;
        while (text.size() < length) {
            const int kind = pick(4);
            text += pick(20) == 0 ? oddWord() : kKeywords[kind];
            const int numbers = kNumberCounts[kind] + (pick(8) == 0 ? pick(5) - 2 : 0);
            for (int i = 0; i < numbers; ++i) (text += separator()) += number();
            if (kind != 3) (text += separator()) += texture();
            text += separator();
        }
        return text;
    }

    // text cut off at a random point, in the middle of an object as likely as not.
    std::string cut(std::string text) {
        text.resize(static_cast<std::size_t>(pick(static_cast<int>(text.size()) + 1)));
        return text;
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    std::string separator() { return kSeparators[pick(7)]; }

    std::string digits(std::size_t count) {
        std::string digits(count, '0');
        for (char& digit : digits) digit = static_cast<char>('0' + pick(10));
        return digits;
    }

    std::string number() {
        char text[80];
        switch (pick(10)) {
            case 0:
                return kOddNumbers[pick(static_cast<int>(kOddNumbers.size()))];
            case 1: {  // any float at all: denormals, nan and inf included
                std::uint32_t bits = static_cast<std::uint32_t>(random_());
                float value;
                std::memcpy(&value, &bits, sizeof value);
                const char* formats[] = {"%.9g", "%a", "%e", "%.60f"};
                std::snprintf(text, sizeof text, formats[pick(4)], static_cast<double>(value));
                return text;
            }
            case 2:  // more digits than a float can tell apart, now and then beyond a block
                return (pick(2) ? "-0." : "") +
                       digits(pick(50) == 0 ? 70000 : 10 + static_cast<std::size_t>(pick(400))) +
                       (pick(2) ? "e-" + digits(2) : "");
            case 3:
                return std::to_string(pick(2000) - 1000);
            default:
                std::snprintf(text, sizeof text, "%.9g",
                              std::uniform_real_distribution<double>(-500, 500)(random_));
                return text;
        }
    }

    std::string texture() {
        switch (pick(8)) {
            case 0:
                return textures_[pick(static_cast<int>(textures_.size()))];
            case 1:
                return textures_[0] + (pick(2) ? std::string(1, '\0') : "x");
            case 2:  // around the longest token kept whole, and far beyond a block
                return std::string(pick(30) == 0 ? 70000 : 254 + pick(3), 't');
            case 3:
                return number();
            case 4:
                return oddWord();
            default:
                return "none";
        }
    }

    std::string oddWord() {
        const char* words[] = {"sphere", "Spheres", "Light1", "#", "Plane\0x", "Cylinder"};
        return pick(6) == 4 ? std::string("Plane\0x", 7) : words[pick(6)];
    }

    std::mt19937 random_;
    std::vector<std::string> textures_;
};

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
        const std::string path = dir.write("scene.ray", HostileScene(seed, textures).text(length));
        ASSERT_EQ(readerDifference(path), "") << "seed " << seed;
    }
    for (const std::string& path : {dir.path("missing.ray"), dir.path("")}) {
        EXPECT_EQ(readerDifference(path), "") << path;
    }
}

TEST_F(SceneReaderDifferential, ReadsAsStdioDoesWithBlocksOfAnySize) {
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        HostileScene scene(seed, textures);
        const std::string path = dir.write("scene.ray", scene.cut(scene.text(1000)));
        for (const std::size_t blockSize : {1, 2, 3, 7, 64, 300}) {
            ASSERT_EQ(inputDifference(path, blockSize, seed), "")
                << "seed " << seed << ", blocks of " << blockSize;
        }
    }
}

TEST_F(SceneReaderDifferential, ReadsPipeAsItReadsFile) {
    // More than a pipe holds, so that reads find it partly written.
    const std::string text = HostileScene(1, textures).text(1000000);
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
            const ssize_t wrote =
                write(ends[1], text.data() + at, std::min<std::size_t>(text.size() - at, 5000));
            if (wrote <= 0) break;
            at += static_cast<std::size_t>(wrote);
        }
        close(ends[1]);
    });
    const std::string fromPipe = console("/dev/fd/" + std::to_string(ends[0]));
    // Whatever a faulty reader left unread, so that the writer can finish.
    char rest[4096];
    while (read(ends[0], rest, sizeof rest) > 0) {
    }
    writer.join();
    close(ends[0]);
    EXPECT_EQ(fromPipe, console(dir.write("scene.ray", text)));
}
