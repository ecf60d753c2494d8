#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "image/pcx_texture.h"
#include "image/tga_writer.h"
#include "support/temp_file.h"

// What a shell command, run in folder, printed on standard output, or "failed".
static std::string run(const std::string& folder, const std::string& command) {
    const bool ran = std::system(("cd '" + folder + "' && " + command + " > printed").c_str()) == 0;
    return ran ? readFile(folder + "/printed") : "failed";
}

// Photos made into textures by the command the README and the manual page give.
TEST(Interop, TexturesOfTheDocumentedCommandLoadAndWriteAsImageMagickShowsThem) {
    TempDir dir;
    const std::string folder = dir.path("");
    if (run(folder, "convert -version").rfind("Version: ImageMagick", 0) != 0)  // no look-alike
        GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    std::string docs = readFile(ORVANE_EXAMPLES_DIR "/../README.md") +
                       readFile(ORVANE_EXAMPLES_DIR "/../doc/Orvane.1.in");
    for (std::size_t at; (at = docs.find("\\-")) != std::string::npos;) docs.erase(at, 1);
    const std::size_t start = docs.find("convert photo.jpg -resize");
    const std::string command = docs.substr(start, docs.find('\n', start) - start);
    ASSERT_NE(docs.find(command + "\n", start + 1), std::string::npos) << command;
    // Grey photos, an odd width (padded rows) and one colour (fewer bits) give other layouts.
    for (const std::string photo :
         {"256x192 gradient:gray20-gray80", "320x240 gradient:gray20-gray80",
          "239x320 gradient:red-blue", "7x5 xc:navy", "320x240 gradient:red-blue"}) {
        SCOPED_TRACE(photo);
        ASSERT_NE(run(folder, "convert -size " + photo + " photo.jpg && " + command), "failed");
        PcxTexture texture;
        ASSERT_TRUE(texture.load(dir.path("wood.pcx").c_str()));
        TgaWriter writer(texture.width, texture.height, dir.path("shown.tga").c_str());
        for (int v = 0; v < texture.height; ++v) {
            for (int u = 0; u < texture.width; ++u) {
                writer.writePixel(std::lround(texture.redAt(u, v) * 255),
                                  std::lround(texture.greenAt(u, v) * 255),
                                  std::lround(texture.blueAt(u, v) * 255));
            }
        }
        EXPECT_EQ(run(folder, "convert shown.tga ppm:-"), run(folder, "convert wood.pcx ppm:-"));
    }
}

TEST(Interop, PngPictureHoldsTheTargaPixelsOfTheSameRun) {
    TempDir dir;
    const std::string folder = dir.path("");
    if (run(folder, "convert -version").rfind("Version: ImageMagick", 0) != 0)
        GTEST_SKIP() << "needs ImageMagick's convert: package imagemagick";
    for (const std::string name : {"out.tga", "out.PNG"}) {
        ASSERT_NE(run(folder, "(cd '" ORVANE_EXAMPLES_DIR "' && " ORVANE_EXECUTABLE
                              " showcase.ray 97 61 '" +
                                  folder + name + "' -recurse 3)"),
                  "failed");
    }
    const std::string pixels = run(folder, "convert png:out.PNG rgb:-");
    EXPECT_EQ(pixels.size(), 97u * 61 * 3);
    EXPECT_EQ(pixels, run(folder, "convert tga:out.tga rgb:-"));
}
