#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "render/tracer.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

const std::string kHeader =
    "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";

// Reads the scene file at path.
struct Loaded {
    ShapeList shapes;
    LightList lights;
    std::string console;

    explicit Loaded(const std::string& path) {
        CapturedStream out;
        EXPECT_EQ(SceneReader(path.c_str(), shapes, lights, out.file()).sceneFile, nullptr);
        console = out.text();
    }
};

Loaded load(const std::string& text) { return Loaded(TempDir().write("scene.ray", text)); }

std::string unknown(const std::string& token) { return "UNKNOWN PRIMITIVE: \"" + token + "\"\n"; }

}  // namespace

TEST(SceneReader, EchoesObjectsAndReportsEverythingElse) {
    const std::string overlong(256, 'S');  // kept as its first 255 characters
    const std::pair<std::string, std::string> cases[] = {
        {"Sphere 0 0 0 50 1 0.5 0 0.3 20 wood.pcx\n",
         "Sphere: Center (0,0,0) Radius (50) Color (1,0.5,0) Reflectivity (0.3) Specularity (20) "
         "TextureFile (wood.pcx)\n"},
        {"Cylinder nan inf -inf 1e39 5 1000000 0.00001 3.14159265 0.1 -2 t\n",
         "Cylinder: Center (nan,inf,-inf) Radius (inf) Height (5) Color (1e+06,1e-05,3.14159) "
         "Reflectivity (0.1) Specular (-2) TextureFile (t)\n"},
        {"", ""},
        {" \t\r\n\n\v\f ", ""},
        // A keyword that runs into the end of the file is not processed; a last line without a
        // line end is read completely, and an object cut off by the end reads the rest as 0.
        {"Light 1 2 3 1 1 1\nLight", "Light: Position (1,2,3) Color (1,1,1)\n"},
        {"Plane 0 1 0 5 1 1 1 0.5 2 last",
         "Plane: Equation (0,1,0,5) Color (1,1,1) Reflectivity (0.5) Specular (2) TextureFile "
         "(last)\n"},
        {"Light 1 2", "Light: Position (1,2,0) Color (0,0,0)\n"},
        // Keywords are case-sensitive, a Light takes no texture, and a malformed number reads 0
        // and stays for the reads after it.
        {"sphere 1 t Light 0 0 0 1 1 1 glow\n", unknown("sphere") + unknown("1") + unknown("t") +
                                                    "Light: Position (0,0,0) Color (1,1,1)\n" +
                                                    unknown("glow")},
        {"Light 1 x 3\n", "Light: Position (1,0,0) Color (0,0,0)\n" + unknown("x") + unknown("3")},
        {overlong + " Light 0 0 0 1 1 1",
         unknown(overlong.substr(1)) + "Light: Position (0,0,0) Color (1,1,1)\n"},
        {std::string(100000, 'S') + " Light 0 0 0 1 1 1",
         unknown(overlong.substr(1)) + "Light: Position (0,0,0) Color (1,1,1)\n"},
        {std::string("Li\0ght 1\0 ", 10), unknown(std::string("Li\0ght", 6)) + unknown({"1\0", 2})},
    };
    for (const auto& [text, echo] : cases) {
        EXPECT_EQ(load(text).console, kHeader + echo) << text.substr(0, 40);
    }
}

TEST(SceneReader, ReportsFileThatCannotBeRead) {
    TempDir dir;
    for (const std::string& path : {dir.path("missing.ray"), dir.path("")}) {
        EXPECT_EQ(Loaded(path).console, "ERROR: Unable to open file \"" + path + "\"\n");
    }
}

TEST(SceneReader, LoadsTextureOnlyFromWholeUsableNameAndSharesIt) {
    TempDir dir;
    const std::string texture = PcxFile(1, 1).bytes();
    // A name of exactly 255 characters is the longest that can be used.
    ASSERT_LT(dir.path("").size(), 250u) << "temporary folder path too long for this test";
    const std::string longest = dir.write(std::string(255 - dir.path("").size(), 'a'), texture);
    const std::string withNul = dir.write("t.pcx", texture) + std::string(1, '\0') + "x";
    for (const std::string& name :
         {longest, longest + "b", longest + std::string(100000 - 255, 'b'), withNul}) {
        SCOPED_TRACE(name.size());
        const Loaded scene(dir.write("s.ray", "Sphere 0 0 0 1 1 1 1 0 0 " + name));
        EXPECT_EQ(scene.shapes.at(0)->textured, name == longest);
    }
    const Loaded scene(dir.write("s.ray", "Sphere 0 0 0 1 1 1 1 0 0 " + longest +
                                              " Cylinder 0 0 0 1 1 1 1 1 0 0 " + longest));
    EXPECT_EQ(scene.shapes.at(1)->texture, scene.shapes.at(0)->texture);
}
