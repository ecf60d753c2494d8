#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "render/tracer.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

const std::string kHeader =
    "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";

struct Loaded {
    ShapeList shapes;
    LightList lights;
    std::string console;
};

Loaded loadFile(const std::string& path) {
    Loaded loaded;
    CapturedStream console;
    SceneReader reader(path.c_str(), loaded.shapes, loaded.lights, console.file());
    EXPECT_EQ(reader.sceneFile, nullptr);
    loaded.console = console.text();
    return loaded;
}

Loaded load(const std::string& text) {
    TempDir dir;
    return loadFile(dir.write("scene.ray", text));
}

std::string unknown(const std::string& token) { return "UNKNOWN PRIMITIVE: \"" + token + "\"\n"; }

// A 1 × 1 texture that loads.
std::string writeTexture(const TempDir& dir, const std::string& name) {
    PcxFile pcx;
    pcx.data = {7};
    return dir.write(name, pcx.bytes());
}

}  // namespace

TEST(SceneReader, EchoesEveryObjectWithGeneralFormatNumbers) {
    struct Case {
        const char* text;
        const char* echo;
    };
    const Case cases[] = {
        {"Sphere 0 0 0 50 1 0.5 0 0.3 20 wood.pcx\n",
         "Sphere: Center (0,0,0) Radius (50) Color (1,0.5,0) Reflectivity (0.3) Specularity (20) "
         "TextureFile (wood.pcx)"},
        {"Cylinder 1 2 3 4 5 0.1 0.2 0.3 0.4 6 t\n",
         "Cylinder: Center (1,2,3) Radius (4) Height (5) Color (0.1,0.2,0.3) Reflectivity (0.4) "
         "Specular (6) TextureFile (t)"},
        {"Plane 0 1 0 100 1 1 1 0 0 none\n",
         "Plane: Equation (0,1,0,100) Color (1,1,1) Reflectivity (0) Specular (0) TextureFile "
         "(none)"},
        {"Light 0.1 100 1000000 0.00001 3.14159265 -2\n",
         "Light: Position (0.1,100,1e+06) Color (1e-05,3.14159,-2)"},
        {"Sphere nan inf -inf 1e39 -1e39 0 0 0 0 t\n",
         "Sphere: Center (nan,inf,-inf) Radius (inf) Color (-inf,0,0) Reflectivity (0) "
         "Specularity (0) TextureFile (t)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(load(c.text).console, kHeader + c.echo + "\n");
    }
}

TEST(SceneReader, CreatesObjectsInFileOrderWhateverTheLineBreaks) {
    const Loaded scene = load(
        "Cylinder 1 2 3\n4 5 0.1 0.2 0.3 0.4 6 t Sphere 7 8 9 10 1 1 1 0.5 3\ns\n"
        "Light 1 2 3\n4 5 6 Plane 0 1 0 100 1 1 1 0 0 p Light 6 5 4 3 2 1\n");
    ASSERT_EQ(scene.shapes.size(), 3u);
    const auto* cylinder = dynamic_cast<const Cylinder*>(scene.shapes[0].get());
    const auto* sphere = dynamic_cast<const Sphere*>(scene.shapes[1].get());
    const auto* plane = dynamic_cast<const Plane*>(scene.shapes[2].get());
    ASSERT_TRUE(cylinder && sphere && plane);
    EXPECT_EQ(cylinder->radius, 4.0f);
    EXPECT_EQ(cylinder->height, 5.0f);
    EXPECT_EQ(sphere->center.x, 7.0f);
    EXPECT_EQ(sphere->radius, 10.0f);
    EXPECT_EQ(plane->d, 100.0f);
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_EQ(scene.lights[0].position.x, 1.0f);
    EXPECT_EQ(scene.lights[1].position.x, 6.0f);
}

TEST(SceneReader, SkipsKeywordEndingAtEndOfFile) {
    struct Case {
        const char* text;
        const char* echo;
        std::size_t objects;
    };
    // A file cut short mid-object still creates it: missing numbers are 0, the texture empty.
    const Case cases[] = {
        {"", "", 0},
        {" \t\r\n\n\v\f ", "", 0},
        {"Light 1 2 3 1 1 1\nLight", "Light: Position (1,2,3) Color (1,1,1)\n", 1},
        {"Light 1 2 3 4 5 6", "Light: Position (1,2,3) Color (4,5,6)\n", 1},
        {"Plane 0 1 0 5 1 1 1 0 0 last",
         "Plane: Equation (0,1,0,5) Color (1,1,1) Reflectivity (0) Specular (0) TextureFile "
         "(last)\n",
         1},
        {"Cylinder 1 2",
         "Cylinder: Center (1,2,0) Radius (0) Height (0) Color (0,0,0) Reflectivity (0) "
         "Specular (0) TextureFile ()\n",
         1},
        {"Sphere\n",
         "Sphere: Center (0,0,0) Radius (0) Color (0,0,0) Reflectivity (0) Specularity (0) "
         "TextureFile ()\n",
         1},
        {"Light 1 ", "Light: Position (1,0,0) Color (0,0,0)\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Loaded scene = load(c.text);
        EXPECT_EQ(scene.console, kHeader + c.echo);
        EXPECT_EQ(scene.shapes.size() + scene.lights.size(), c.objects);
    }
}

TEST(SceneReader, ReportsFileThatCannotBeRead) {
    TempDir dir;
    for (const std::string& path : {dir.path("missing.ray"), dir.path("")}) {
        SCOPED_TRACE(path);
        const Loaded scene = loadFile(path);
        EXPECT_EQ(scene.console, "ERROR: Unable to open file \"" + path + "\"\n");
        EXPECT_TRUE(scene.shapes.empty() && scene.lights.empty());
    }
}

TEST(SceneReader, ReportsLowerCaseKeywordAndEveryTokenAfterIt) {
    // A Light has no texture token: the word after its numbers is the next keyword.
    const Loaded scene = load("sphere 0 0 0 50 1 0.5 0 0.3 20 wood.pcx Light 0 0 0 1 1 1 glow\n");
    std::string expected = kHeader + unknown("sphere");
    for (const char* token : {"0", "0", "0", "50", "1", "0.5", "0", "0.3", "20", "wood.pcx"}) {
        expected += unknown(token);
    }
    EXPECT_EQ(scene.console,
              expected + "Light: Position (0,0,0) Color (1,1,1)\n" + unknown("glow"));
    EXPECT_TRUE(scene.shapes.empty());
}

TEST(SceneReader, MalformedNumberIsZeroAndLeavesItsToken) {
    // From the bad token on, every number of the object reads 0; the texture read takes the
    // token, and the numbers after it are reported one by one.
    const Loaded scene = load("Sphere 1 2 x 4 5 6 7 8 9 t\n");
    std::string expected = kHeader +
                           "Sphere: Center (1,2,0) Radius (0) Color (0,0,0) Reflectivity (0) "
                           "Specularity (0) TextureFile (x)\n";
    for (const char* token : {"4", "5", "6", "7", "8", "9", "t"}) expected += unknown(token);
    EXPECT_EQ(scene.console, expected);
    EXPECT_EQ(scene.shapes.size(), 1u);
}

TEST(SceneReader, KeepsOverlongTokenAsItsFirst255Characters) {
    for (const std::size_t length : {std::size_t{256}, std::size_t{100000}}) {
        SCOPED_TRACE(length);
        const std::string token(length, 'S');
        const Loaded scene = load(token + " Light 0 0 0 1 1 1\n");
        EXPECT_EQ(scene.console, kHeader + unknown(std::string(255, 'S')) +
                                     "Light: Position (0,0,0) Color (1,1,1)\n");
    }
}

TEST(SceneReader, LoadsTextureOnlyFromWholeUsableName) {
    TempDir dir;
    // A name of exactly 255 characters is the longest that can be used.
    const std::string prefix = dir.path("");
    ASSERT_LT(prefix.size(), 250u) << "temporary folder path too long for this test";
    const std::string longest = writeTexture(dir, std::string(255 - prefix.size(), 'a'));
    const std::string plain = writeTexture(dir, "t.pcx");
    struct Case {
        const char* name;
        std::string token;
        bool textured;
    };
    const Case cases[] = {
        {"plain name", plain, true},
        {"255 characters", longest, true},
        {"256 characters", longest + "b", false},
        {"100000 characters", longest + std::string(100000 - 255, 'b'), false},
        {"with a NUL byte", plain + std::string(1, '\0') + "x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded scene =
            loadFile(dir.write("scene.ray", "Sphere 0 0 0 1 1 1 1 0 0 " + c.token + "\n"));
        ASSERT_EQ(scene.shapes.size(), 1u);
        EXPECT_EQ(scene.shapes[0]->textured, c.textured);
    }
}

TEST(SceneReader, SurvivesBinaryGarbage) {
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        std::string garbage;
        std::uint32_t state = seed;
        for (int i = 0; i < 4096; ++i) {
            state = state * 1664525u + 1013904223u;
            garbage.push_back(static_cast<char>(state >> 24));
        }
        // After a keyword, so that the number reads meet the garbage too.
        const Loaded scene = load("Sphere " + garbage + "\nLight 1 2 3 4 5 6\n");
        EXPECT_EQ(scene.shapes.size(), 1u);
        ASSERT_EQ(scene.lights.size(), 1u);
        EXPECT_EQ(scene.lights[0].color.blue, 6.0f);
    }
}
