#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/pcx_file.h"
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

std::string unwritable(const std::string& name) {
    return "ERROR: Unable to write to " + name + ".\n";
}

const std::string kPixelError =
    "ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n";

std::size_t pictureSize(std::size_t width, std::size_t height) { return 44 + 3 * width * height; }

struct ProgramRun {
    int status;
    std::string errors;
};

// Runs the real program, behind wrapper if one is given, from folder; standard output is dropped.
ProgramRun runProgram(const std::string& folder, const std::string& arguments,
                      const std::string& wrapper = "") {
    TempDir dir;
    const std::string command = "cd '" + folder + "' && " + wrapper + " " + ORVANE_EXECUTABLE +
                                " " + arguments + " > /dev/null 2> " + dir.path("stderr");
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status)) << command;
    return {WEXITSTATUS(status), readFile(dir.path("stderr"))};
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
    const std::string noFramebuffer = "ERROR: ALLOCATION FAILED!\n";
    struct Case {
        const char* width;
        const char* height;
        const char* rays;
        std::optional<int> marks;  // none: the run ends before the progress lines
        std::size_t fileSize;      // a picture with no pixel never gets its footer
        std::string errors;
    };
    const Case cases[] = {
        {"1", "1", "1", 1, 47, ""},
        {"3", "5abc", "15", 5, 44 + 45, ""},
        {"abc", "76", "0", 38, 18, ""},
        {"5", "0", "0", 0, 18, ""},
        {"65535", "1", "65535", 1, 44 + 3 * 65535, ""},
        {"65536", "1", "65536", std::nullopt, 18, noFramebuffer},
        {"-4", "3", "-12", std::nullopt, 18, noFramebuffer},
        {"70000", "-70000", "-605032704", std::nullopt, 18, noFramebuffer},
        {"70000", "70000", "605032704", std::nullopt, 18, noFramebuffer},
        {"2", "2147483647", "-2", std::nullopt, 18, noFramebuffer},
        {"-99999999999", "1", "-2147483648", std::nullopt, 18, noFramebuffer},
    };
    TempDir dir;
    const std::string scene = dir.write("empty.ray", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const std::string out = dir.path("out.tga");
        const RunResult result = runWith({scene.c_str(), c.width, c.height, out.c_str()});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.console,
                  kBanner + counts(c.rays, 0) + kHeader + (c.marks ? progress(*c.marks) : ""));
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
    EXPECT_EQ(result.errors, unwritable(out) + kPixelError + kPixelError);
}

TEST(Driver, RendersHostileScenesIntoCompletePictures) {
    TempDir dir;
    PcxFile overflowing(2, 2);
    overflowing.data = {0xFF, 0x07};  // a run of 63 into a picture of 4
    PcxFile paletteLess(4, 4);
    std::string noPalette = paletteLess.bytes();
    noPalette.resize(noPalette.size() - 769);
    std::string oversize = PcxFile(2, 2).bytes();
    oversize.replace(8, 4, "\xff\xff\xff\xff");
    const std::pair<const char*, std::string> textures[] = {
        {"truncated", PcxFile(16, 16).bytes().substr(0, 1000)},
        {"65535 x 65535", oversize},
        {"RLE-overflowing", overflowing.bytes()},
        {"palette-less", noPalette},
        {"a directory", ""},
    };
    const auto shapesWith = [](const std::string& texture) {
        return "Sphere 0 0 -20 8 1 1 1 0.5 9 " + texture + "\nCylinder 4 0 0 3 6 1 1 1 0.5 9 " +
               texture + "\nLight 0 0 100 1 1 1\n";
    };
    std::vector<std::pair<std::string, std::string>> scenes = {
        {"nan, inf and 1e39 everywhere",
         "Sphere nan 0 0 1e39 1 1 1 inf 9 none Cylinder 0 inf 0 5 nan 1 1 1 1 -inf none "
         "Plane 0 0 1e39 0 nan 1 1 1 1e39 none Light inf -inf nan 1e39 1 1 "
         "Plane 0 0 1 5 1 1 1 1 1 none Light 0 0 100 1 1 1\n"},
        {"an object cut off by the end", "Light 0 0 100 1 1 1\nSphere 0 0 0 4 1 1"},
    };
    for (const auto& [name, bytes] : textures) {
        const std::string path = bytes.empty() ? dir.path("") : dir.write("t.pcx", bytes);
        scenes.emplace_back(std::string("a texture that is ") + name, shapesWith(path));
    }
    for (const auto& [name, sceneText] : scenes) {
        SCOPED_TRACE(name);
        const std::string scene = dir.write("hostile.ray", sceneText);
        const std::string out = dir.path("out.tga");
        const RunResult result =
            runWith({scene.c_str(), "16", "12", out.c_str(), "-recurse", "2147483647"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.errors, "");
        const std::string picture = readFile(out);
        EXPECT_EQ(picture.size(), pictureSize(16, 12));
        EXPECT_EQ(picture.substr(picture.size() - 18), std::string("TRUEVISION-XFILE.", 18));
    }
}

TEST(Driver, SeveralThreadsGiveTheOneThreadBytes) {
    TempDir dir;
    const std::string scene = std::string(ORVANE_EXAMPLES_DIR) + "/showcase.ray";
    const auto render = [&](const char* threads) {
        setenv("ORVANE_THREADS", threads, 1);
        const std::string out = dir.path(std::string(threads) + ".tga");
        const RunResult run = runWith({scene.c_str(), "97", "61", out.c_str(), "-recurse", "3"});
        unsetenv("ORVANE_THREADS");
        return std::pair(run.console + run.errors, readFile(out));
    };
    const auto single = render("1");
    for (const char* threads : {"2", "5"}) EXPECT_EQ(render(threads), single) << threads;
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

// With both streams in one file, the scene's echo comes before the errors that follow its load.
TEST(Executable, WritesSceneEchoBeforeLaterErrors) {
    TempDir dir;
    const std::string scene = dir.write("one.ray", "Light 1 2 3 1 1 1\n");
    const std::string echo = kHeader + "Light: Position (1,2,3) Color (1,1,1)\n";
    const std::pair<std::string, std::string> cases[] = {
        {"2 1 " + dir.path(""), unwritable(dir.path(""))},
        {"70000 70000 " + dir.path("out.tga"), "ERROR: ALLOCATION FAILED!\n"},
    };
    for (const auto& [arguments, error] : cases) {
        const std::string command = std::string(ORVANE_EXECUTABLE) + " " + scene + " " +
                                    arguments + " > " + dir.path("both") + " 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << command;
        EXPECT_NE(readFile(dir.path("both")).find(echo + error), std::string::npos) << arguments;
    }
}

TEST(Executable, EndsWithDefinedStatusWhateverTheOutputAndSize) {
    TempDir dir;
    const std::string empty = dir.write("empty.ray", "");
    const std::string out = dir.path("out.tga");
    struct Case {
        const char* name;
        std::string arguments;
        int status;
        std::string errors;
        std::optional<std::size_t> fileSize;
    };
    const Case cases[] = {
        {"a full disk, 1 x 1", empty + " 1 1 /dev/full", 1, unwritable("/dev/full"), {}},
        {"a full disk, 200 x 100: told once",
         empty + " 200 100 /dev/full",
         1,
         unwritable("/dev/full"),
         {}},
        {"an output that is a directory",
         empty + " 2 1 " + dir.path(""),
         0,
         unwritable(dir.path("")) + kPixelError + kPixelError,
         {}},
        {"70000 x 70000", empty + " 70000 70000 " + out, 0, "ERROR: ALLOCATION FAILED!\n", 18},
        {"-recurse 2147483647 between two mirrors",
         "mirrors.ray 16 12 " + out + " -recurse 2147483647", 0, "", pictureSize(16, 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramRun run = runProgram(ORVANE_EXAMPLES_DIR, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.errors, c.errors);
        if (c.fileSize) {
            EXPECT_EQ(readFile(out).size(), *c.fileSize);
        }
    }
}

TEST(Executable, RendersTexturedExampleWithoutLeaksOrInvalidReads) {
    const std::string checker = ORVANE_LEAK_CHECKER;
    if (!checker.empty() && std::system("command -v valgrind > /dev/null") != 0)
        GTEST_SKIP() << "needs valgrind: package valgrind";
    TempDir dir;
    const std::string out = dir.path("showcase.tga");
    const ProgramRun run =
        runProgram(ORVANE_EXAMPLES_DIR, "showcase.ray 32 24 " + out + " -recurse 3", checker);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(readFile(out).size(), pictureSize(32, 24));
}
