#include "scene/scene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string>
#include <utility>

#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

// Renders the top rows (up to 8) of the scene text as the driver does, traced in bands of
// bandRows: pixel bytes, errors.
std::pair<std::string, std::string> render(const std::string& sceneText, int width, int height,
                                           int bandRows = 3) {
    TempDir dir;
    CapturedStream console, errors;
    {
        Scene scene(width, height, dir.write("scene.ray", sceneText).c_str(), 0, console.file(),
                    errors.file());
        scene.openOutput(dir.path("out.tga").c_str());
        // Rows just outside the picture write nothing.
        scene.writeRow(scene.yMax + 1);
        scene.writeRow(scene.yMax - height);
        const int rows = std::min(height, 8);
        for (int band = scene.yMax; band > scene.yMax - rows; band -= bandRows) {
            scene.traceRows(band, bandRows, scene.index);
            for (int y = band; y > band - bandRows && y > scene.yMax - rows; --y) scene.writeRow(y);
        }
    }
    const std::string picture = readFile(dir.path("out.tga"));
    return {picture.empty() ? "" : picture.substr(18), errors.text()};
}

}  // namespace

TEST(Scene, ColorToByteTruncatesAndHoldsToRange) {
    const std::pair<float, int> cases[] = {{1, 255},        {0.7f, 178},   {0.999f, 254},
                                           {1.5f, 255},     {-0.2f, 0},    {NAN, 0},
                                           {INFINITY, 255}, {-INFINITY, 0}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(colorToByte(value), expected) << value;
}

TEST(Scene, TracesABandOfRowsAsRowByRow) {
    // Wider than a block of columns and not a multiple of one; the last band runs past the
    // bottom row.
    const std::string scene =
        "Sphere 2 -1 100 4 0.9 0.2 0.1 0.5 20 none\nPlane 0 1 0 3 0.3 0.6 0.9 0.5 5 none\n"
        "Light 30 40 300 1 1 1\n";
    const auto rowByRow = render(scene, 19, 7, 1);
    EXPECT_NE(rowByRow.first.find_first_not_of('\0'), std::string::npos);
    for (const int bandRows : {2, 4, 9}) EXPECT_EQ(render(scene, 19, 7, bandRows), rowByRow);
}

TEST(Scene, RendersRowsTopFirstLeftToRightInAWindowCentredOnZero) {
    EXPECT_EQ(render("", 5, 5).first.substr(0, 25 * 3), std::string(25 * 3, '\0'));
    // Columns x = -2..1 or -2..2, rows y = 2..-1. The wall z = 0, lit head-on, shows bytes 178,
    // 127, 51 and, with exponent 1e9, a saturated highlight only at (0, 0). The black planes
    // x = -1.5 and y = 1.5 cover column x = -2 and row y = 2.
    const std::string scene =
        "Plane 0 0 1 0 0.7 0.5 0.2 0 1e9 none\nPlane 1 0 0 1.5 0 0 0 0 1 none\n"
        "Plane 0 1 0 -1.5 0 0 0 0 1 none\nLight 0 0 65536 1 1 1\n";
    // Black, wall and highlight pixels as blue, green, red bytes.
    const std::string colours = std::string(3, '\0') + "\x33\x7F\xB2\xFF\xFF\xFF";
    for (const int width : {4, 5}) {
        std::string expected;
        for (const char* row : {"00000", "01111", "01211", "01111"}) {
            for (int x = 0; x < width; ++x) expected += colours.substr(3 * (row[x] - '0'), 3);
        }
        EXPECT_EQ(render(scene, width, 4).first.substr(0, expected.size()), expected);
    }
    // The window's bounds, halved toward zero.
    TempDir dir;
    CapturedStream console, errors;
    const Scene odd(5, 3, dir.write("empty.ray", "").c_str(), 0, console.file(), errors.file());
    EXPECT_EQ((std::array<int, 4>{odd.xMin, odd.xMax, odd.yMin, odd.yMax}),
              (std::array<int, 4>{-2, 2, -1, 1}));
}

TEST(Scene, IsReadyOnlyWithItsSceneReadAndItsFramebuffer) {
    TempDir dir;
    CapturedStream console, errors;
    EXPECT_FALSE(
        Scene(4, 4, dir.path("missing.ray").c_str(), 0, console.file(), errors.file()).ready());
    EXPECT_TRUE(
        Scene(4, 4, dir.write("empty.ray", "").c_str(), 0, console.file(), errors.file()).ready());
}

TEST(Scene, ReportsFramebufferThatCannotBeObtainedAndOpensNoOutput) {
    // A negative side is refused even where the pixel count it makes would be 0.
    for (const auto& [width, height] :
         {std::pair(-1, 0), {0, -1}, {65536, 1}, {1, 65536}, {INT_MAX, INT_MAX}}) {
        EXPECT_EQ(render("Light 0 0 0 1 1 1\n", width, height),
                  std::pair(std::string(), std::string("ERROR: ALLOCATION FAILED!\n")));
    }
}

TEST(Scene, OpensNoOutputThatIsOneOfItsInputs) {
    TempDir dir;
    const std::string texture = dir.write("wood.pcx", PcxFile(2, 2).bytes());
    const std::string scene = dir.write(
        "s.ray", "Sphere 0 0 0 9 1 1 1 0 9 " + texture + " Sphere 0 0 0 9 1 1 1 0 9 none");
    ASSERT_EQ(link(scene.c_str(), dir.path("hard.ray").c_str()), 0);
    ASSERT_EQ(symlink("wood.pcx", dir.path("soft.pcx").c_str()), 0);
    const std::pair<std::string, const char*> outputs[] = {
        {scene, "the scene file"},
        {dir.path("./hard.ray"), "the scene file"},
        {dir.path("soft.pcx"), "a texture of the scene"},
        {dir.path("none"), nullptr},  // a texture that did not load is no input
    };
    const auto before = dir.entries();
    for (const auto& [out, role] : outputs) {
        CapturedStream console, errors;
        {
            Scene s(2, 2, scene.c_str(), 0, console.file(), errors.file());
            EXPECT_EQ(s.openOutput(out.c_str()), role == nullptr) << out;
        }
        EXPECT_EQ(
            errors.text(),
            role ? "ERROR: Not writing the picture to \"" + out + "\": it is " + role + ".\n" : "");
        EXPECT_EQ(dir.entries(), before) << out;  // and an unfinished picture leaves nothing
    }
}
