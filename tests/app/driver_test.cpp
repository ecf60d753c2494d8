#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_file.h"

namespace {

const std::string kBanner =
    "Orvane 0.93 - a ray tracer of spheres, cylinders and planes\n"
    "Usage: Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> [-recurse n]\n\n"
    "(the -recurse option specifies the level of reflection-depth to compute)\n\n";
const std::string kHeader =
    "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";

struct RunResult {
    int status;
    std::string console;
    std::string errors;
};

RunResult runWith(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "Orvane");
    CapturedStream console;
    CapturedStream errors;
    const int status = runOrvane(static_cast<int>(arguments.size()), arguments.data(),
                                 console.file(), errors.file());
    return {status, console.text(), errors.text()};
}

std::string counts(const std::string& rays, int depth) {
    return "Ray tracing " + rays + " primary rays.\nUsing " + std::to_string(depth) +
           " recursions.\n";
}

std::string progress(int marks) {
    return std::string(marks, '.') + "\n" + std::string(marks, '*') + "\n";
}

}  // namespace

TEST(Driver, TooFewArgumentsPrintOnlyTheBanner) {
    const RunResult result = runWith({"scene.ray", "4", "4"});
    EXPECT_EQ(result.status, -1);
    EXPECT_EQ(result.console, kBanner);
}

TEST(Driver, ReportsCountsSceneAndProgressLineByLine) {
    TempDir dir;
    const std::string scene =
        dir.write("one.ray", "Sphere 0 0 0 50 1 0.5 0 0 20 none\nLight 0 0 256 1 1 1\n");
    const std::string out = dir.path("out.tga");
    const RunResult result = runWith({scene.c_str(), "400", "300", out.c_str(), "-recurse", "2"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, kBanner + counts("120000", 2) + kHeader +
                                  "Sphere: Center (0,0,0) Radius (50) Color (1,0.5,0) "
                                  "Reflectivity (0) Specularity (20) TextureFile (none)\n"
                                  "Light: Position (0,0,256) Color (1,1,1)\n" +
                                  progress(75));
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(readFile(out).size(), 44u + 3u * 400 * 300);
}

TEST(Driver, OddSizesMalformedNumbersAndUnallocatableSizes) {
    struct Case {
        const char* width;
        const char* height;
        const char* rays;
        int marks;
        std::size_t fileSize;  // a picture with no pixel never gets its footer
        const char* errors;
    };
    const Case cases[] = {
        {"1", "1", "1", 1, 47, ""},
        {"3", "5abc", "15", 5, 44 + 45, ""},
        {"abc", "76", "0", 38, 18, ""},
        {"5", "0", "0", 0, 18, ""},
        {"-4", "3", "-12", 3, 18, "ERROR: ALLOCATION FAILED!\n"},
        {"70000", "-70000", "-605032704", 0, 18, "ERROR: ALLOCATION FAILED!\n"},
    };
    TempDir dir;
    const std::string scene = dir.write("empty.ray", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const std::string out = dir.path("out.tga");
        const RunResult result = runWith({scene.c_str(), c.width, c.height, out.c_str()});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.console, kBanner + counts(c.rays, 0) + kHeader + progress(c.marks));
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(readFile(out).size(), c.fileSize);
    }
}

TEST(Driver, GoesOnAfterSceneAndOutputErrors) {
    TempDir dir;
    const std::string missing = dir.path("missing.ray");
    const std::string out = dir.path("no-such-folder/out.tga");
    const RunResult result = runWith({missing.c_str(), "2", "1", out.c_str()});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, kBanner + counts("2", 0) + "ERROR: Unable to open file \"" + missing +
                                  "\"\n" + progress(1));
    const std::string pixel =
        "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";
    EXPECT_EQ(result.errors, "ERROR: Unable to write to " + out + ".\n" + pixel + pixel);
}

TEST(Executable, ExitStatusAndConsoleMatchTheLibraryRun) {
    TempDir dir;
    const std::string scene =
        dir.write("one.ray", "Sphere 0 0 0 3 1 0 0 0 1 none Light 0 0 256 1 1 1");
    const std::string command = std::string(ORVANE_EXECUTABLE) + " " + scene + " 6 5 " +
                                dir.path("exe.tga") + " > " + dir.path("stdout") + " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(dir.path("stdout")),
              runWith({scene.c_str(), "6", "5", dir.path("lib.tga").c_str()}).console);
    EXPECT_EQ(readFile(dir.path("exe.tga")), readFile(dir.path("lib.tga")));

    const int bare = std::system((std::string(ORVANE_EXECUTABLE) + " > /dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(bare));
    EXPECT_EQ(WEXITSTATUS(bare), 255);
}
