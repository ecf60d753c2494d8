#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <typeinfo>
#include <utility>

#include "render/tracer.h"
#include "support/pcx_file.h"
#include "support/temp_file.h"

// Scene texts are held against the stdio reader by FuzzCorpus.scene_reader_differential.
namespace {

// Reads the scene file at path.
struct Loaded {
    ShapeList shapes;
    LightList lights;
    CapturedStream console;

    explicit Loaded(const std::string& path, std::size_t smallestSplit = SceneReader::kWhole) {
        EXPECT_EQ(
            SceneReader(path.c_str(), shapes, lights, console.file(), smallestSplit).sceneFile,
            nullptr);
    }
};

}  // namespace

TEST(SceneReader, ReportsFileThatCannotBeRead) {
    TempDir dir;
    // A name longer than the echo's buffer is echoed whole, in order.
    for (const std::string& path :
         {dir.path("missing.ray"), dir.path(""), dir.path(std::string(100000, 'x'))}) {
        EXPECT_EQ(Loaded(path).console.text(), "ERROR: Unable to open file \"" + path + "\"\n");
    }
    // A folder opens, and is closed again once it cannot be read.
    const auto openFiles = [] {
        const std::filesystem::directory_iterator files("/proc/self/fd");
        return std::distance(begin(files), end(files));
    };
    const auto before = openFiles();
    Loaded(dir.path(""));
    EXPECT_EQ(openFiles(), before);
    // An echo longer than its buffer, with lines cut where the buffer fills, reaches the console
    // whole.
    std::string scene,
        echo = "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";
    for (int i = 0; i < 3000; ++i) {
        scene += "Light 1 2 " + std::to_string(i) + " 0.5 0.25 1\n";
        echo += "Light: Position (1,2," + std::to_string(i) + ") Color (0.5,0.25,1)\n";
    }
    EXPECT_EQ(Loaded(dir.write("long.ray", scene)).console.text(), echo);
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

// Files read in two halves at once, wherever the second may start: past three fifths of the file
// at a keyword that begins a line, one that is a texture's name or a number's place instead, no
// such line, an object cut short at the end, or a file short of a second half.
TEST(SceneReader, ReadsAFileInTwoHalvesAsInOne) {
    TempDir dir;
    const std::string texture = dir.write("t.pcx", PcxFile(1, 1).bytes());
    std::string objects;
    for (int i = 0; i < 60; ++i) {
        objects += "Sphere " + std::to_string(i) + " 0 0 1 0.5 0.5 0.5 0 8 " + texture +
                   "\nLight 0 " + std::to_string(i) + " 9 1 1 1\n";
    }
    const std::string textureNamedSphere = "Sphere 1 2 3 4 0.5 0.5 0.5 0 8\nSphere\n";
    const std::string numberNamedPlane = "Cylinder 1 2 3 4 5 0.5 0.5 0.5 0\nPlane\nnone\n";
    // Each with the copies of the texture loaded: one for each half read.
    const std::pair<std::string, std::size_t> cases[] = {
        {objects, 2},
        // The first half, nearly all blanks, is done long before the second.
        {std::string(objects.size() * 2, ' ') + objects, 2},
        {objects + "Plane 0 1 0 9 1 1 1 0 0 none\n", 2},
        {objects + "Sphere 1 2 3 4 0.5 0.5", 2},
        {objects + std::string(200000, 'x') + "\nLight 1 2 3 1 1 1\n", 1},
        {objects + "junk\tSphere\nmore words Light 1 2 3 1 1 1 " + texture, 2},
        {std::string(objects.size() * 2, ' ') + textureNamedSphere + objects, 1},
        {std::string(objects.size() * 2, ' ') + numberNamedPlane + objects, 1},
        {std::string(4000, '\n'), 0},
        {"Light 0 0 9 1 1 1", 0},
    };
    for (const auto& [text, textureCopies] : cases) {
        SCOPED_TRACE(text.substr(text.size() - std::min<std::size_t>(text.size(), 60)));
        const std::string path = dir.write("s.ray", text);
        const Loaded whole(path);
        const Loaded halves(path, 0);
        EXPECT_EQ(halves.console.text(), whole.console.text());
        ASSERT_EQ(halves.shapes.size(), whole.shapes.size());
        EXPECT_EQ(halves.lights.size(), whole.lights.size());
        for (std::size_t i = 0; i < whole.shapes.size(); ++i) {
            EXPECT_EQ(typeid(*halves.shapes[i]), typeid(*whole.shapes[i])) << i;
            EXPECT_EQ(halves.shapes[i]->textured, whole.shapes[i]->textured) << i;
        }
        for (std::size_t i = 0; i < whole.lights.size(); ++i) {
            EXPECT_EQ(halves.lights[i].position.y, whole.lights[i].position.y) << i;
        }
        std::set<const PcxTexture*> textures;
        for (const auto& shape : halves.shapes) {
            if (shape->texture) textures.insert(shape->texture.get());
        }
        EXPECT_EQ(textures.size(), textureCopies);
    }
}
