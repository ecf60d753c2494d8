#include "scene/scene.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "support/temp_file.h"

namespace {

constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kFooterBytes = 26;

struct Rendered {
    std::string console;
    std::string errors;
    std::string picture;

    std::string pixels() const {
        return picture.substr(kHeaderBytes, picture.size() - kHeaderBytes - kFooterBytes);
    }
};

// Renders the scene text row by row from the top, as the driver does.
Rendered render(const std::string& sceneText, int width, int height, int depth = 0) {
    TempDir dir;
    const std::string sceneFile = dir.write("scene.ray", sceneText);
    const std::string outFile = dir.path("out.tga");
    CapturedStream console;
    CapturedStream errors;
    {
        Scene scene(width, height, sceneFile.c_str(), outFile.c_str(), depth, console.file(),
                    errors.file());
        for (int row = 0, y = height / 2; row < height; ++row, --y) {
            scene.traceRow(y);
            scene.writeRow(y);
        }
    }
    return {console.text(), errors.text(), readFile(outFile)};
}

}  // namespace

TEST(Scene, PixelWindowIsCentredOnZero) {
    TempDir dir;
    // Columns run x = xMin .. xMin + size - 1, rows y = yMax down to yMax - size + 1.
    for (const int size : {4, 5}) {
        SCOPED_TRACE(size);
        CapturedStream console;
        const Scene scene(size, size, dir.write("empty.ray", "").c_str(),
                          dir.path("out.tga").c_str(), 0, console.file());
        EXPECT_EQ(scene.xMin, -2);
        EXPECT_EQ(scene.yMax, 2);
        EXPECT_EQ(scene.xMin + size - 1, size == 4 ? 1 : 2);
        EXPECT_EQ(scene.yMax - size + 1, size == 4 ? -1 : -2);
    }
}

TEST(Scene, ColorToByteTruncatesAndHoldsToRange) {
    struct Case {
        float value;
        int expected;
    };
    const Case cases[] = {
        {1.0f, 255},
        {0.7f, 178},
        {0.5f, 127},
        {0.2f, 51},
        {0.0f, 0},
        {0.999f, 254},
        {1.5f, 255},
        {-0.2f, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 255},
        {-std::numeric_limits<float>::infinity(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(colorToByte(c.value), c.expected);
    }
}

TEST(Scene, EmptySceneGivesBlackPicture) {
    const Rendered out = render("", 5, 5);
    EXPECT_EQ(out.console,
              "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n");
    EXPECT_EQ(out.errors, "");
    EXPECT_EQ(out.picture.size(), kHeaderBytes + 25 * 3 + kFooterBytes);
    EXPECT_EQ(out.pixels(), std::string(25 * 3, '\0'));
}

TEST(Scene, RendersRowsTopFirstLeftToRight) {
    // Five columns x = -2..2, four rows y = 2..-1. The wall z = 0 is lit from (0, 0, 65536): at
    // every pixel the direction to the light rounds to (0, 0, 1), so the diffuse term is exactly
    // 1 and the wall shows (0.7, 0.5, 0.2), bytes 178, 127, 51. Its highlight exponent 1e9 leaves
    // the specular term 0 except at (0, 0), where the mirror direction is the view direction
    // itself: 1 is added there and every channel saturates. The black planes x = -1.5 and
    // y = 1.5 stand in front of the wall for column x = -2 and row y = 2 only (met at z = 64) and
    // mirror the light away from the eye, so that column and that row are black.
    const Rendered out = render(
        "Plane 0 0 1 0 0.7 0.5 0.2 0 1e9 none\nPlane 1 0 0 1.5 0 0 0 0 1 none\n"
        "Plane 0 1 0 -1.5 0 0 0 0 1 none\nLight 0 0 65536 1 1 1\n",
        5, 4);
    const char* rows[] = {"kkkkk", "kwwww", "kwHww", "kwwww"};
    std::string expected;
    for (const char* row : rows) {
        for (const char* pixel = row; *pixel != '\0'; ++pixel) {
            // Blue, green, red.
            if (*pixel == 'k') expected += std::string(3, '\0');
            if (*pixel == 'w') expected += "\x33\x7F\xB2";  // 51, 127, 178
            if (*pixel == 'H') expected += "\xFF\xFF\xFF";
        }
    }
    EXPECT_EQ(out.pixels(), expected);
}

TEST(Scene, ReportsFramebufferThatCannotBeObtained) {
    const std::pair<int, int> sizes[] = {{-1, 4}, {4, -1}, {INT_MAX, INT_MAX}};
    TempDir dir;
    const std::string sceneFile = dir.write("scene.ray", "Light 0 0 0 1 1 1\n");
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        CapturedStream console;
        CapturedStream errors;
        {
            Scene scene(width, height, sceneFile.c_str(), dir.path("out.tga").c_str(), 0,
                        console.file(), errors.file());
            scene.traceRow(0);
            scene.writeRow(0);
        }
        EXPECT_EQ(errors.text(), "ERROR: ALLOCATION FAILED!\n");
        EXPECT_EQ(readFile(dir.path("out.tga")).size(), kHeaderBytes);
    }
    // The message comes after the writer's own.
    CapturedStream console;
    CapturedStream errors;
    const std::string unwritable = dir.path("no/such/dir/out.tga");
    Scene(-1, -1, sceneFile.c_str(), unwritable.c_str(), 0, console.file(), errors.file());
    EXPECT_EQ(errors.text(),
              "ERROR: Unable to write to " + unwritable + ".\nERROR: ALLOCATION FAILED!\n");
}

TEST(Scene, RendersHostileNumbersToCompletePicture) {
    const Rendered out = render(
        "Sphere nan 0 0 50 1 1 1 0.5 20 t\nSphere 0 0 0 inf 1 1 1 1 20 t\n"
        "Plane 0 0 1e39 0 nan 1 1 0.5 -1 t\nCylinder 0 0 0 10 inf 1 1 1 1 nan t\n"
        "Sphere 0 0 0 1e-30 -inf 1 1 2 0 t\nLight inf 0 0 1 1 1\nLight 0 0 256 nan inf -inf\n",
        6, 6, 3);
    EXPECT_EQ(out.picture.size(), kHeaderBytes + 36 * 3 + kFooterBytes);
    EXPECT_EQ(out.errors, "");
}
