#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

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

    explicit Loaded(const std::string& path) {
        EXPECT_EQ(SceneReader(path.c_str(), shapes, lights, console.file()).sceneFile, nullptr);
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
