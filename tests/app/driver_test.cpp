#include "app/driver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/pcx_file.h"
#include "support/temp_file.h"

namespace {

const std::string kBanner =
    "Orvane " ORVANE_VERSION
    " - a ray tracer of spheres, cylinders and planes\n"
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

TEST(Driver, DrawsSidesOf1To65535AndRefusesOthersBeforeReadingAnything) {
    struct Case {
        const char* width;
        const char* height;
        const char* rays;  // the whole product, in 64 bits
        std::optional<int> marks;
        std::string refusedAs;  // the size as read; empty when drawn
    };
    const Case cases[] = {
        {"1", "1", "1", 1, ""},
        {"3", "5abc", "15", 5, ""},
        {"65535", "1", "65535", 1, ""},
        {"abc", "76", "0", {}, "0 x 76"},
        {"5", "0", "0", {}, "5 x 0"},
        {"-4", "3", "-12", {}, "-4 x 3"},
        {"1", "65536", "65536", {}, "1 x 65536"},
        {"65536", "65536", "4294967296", {}, "65536 x 65536"},
        {"70000", "-70000", "-4900000000", {}, "70000 x -70000"},
        {"-99999999999", "1", "-2147483648", {}, "-2147483648 x 1"},
    };
    TempDir dir;
    const std::string scene = dir.write("empty.ray", "");
    const std::string out = dir.write("out.tga", "old picture");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const auto before = dir.entries();
        const RunResult result = runWith({scene.c_str(), c.width, c.height, out.c_str()});
        if (c.refusedAs.empty()) {
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.console, kBanner + counts(c.rays, 0) + kHeader + progress(*c.marks));
            EXPECT_EQ(result.errors, "");
            EXPECT_EQ(readFile(out).size(), pictureSize(std::stoul(c.width), std::stoul(c.height)));
        } else {
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.console, kBanner + counts(c.rays, 0));
            EXPECT_EQ(result.errors,
                      "ERROR: Picture sides must be 1 to 65535 pixels, not " + c.refusedAs + ".\n");
            EXPECT_EQ(dir.entries(), before);
        }
    }
}

TEST(Driver, RunsThatCannotMakeThePictureTouchNoFileAndEndWithStatusOne) {
    TempDir dir;
    const std::string texture = dir.write("wood.pcx", PcxFile(2, 2).bytes());
    const std::string scene = dir.write("s.ray", "Sphere 0 0 0 9 1 1 1 0 9 " + texture + "\n");
    const std::string echo = kHeader +
                             "Sphere: Center (0,0,0) Radius (9) Color (1,1,1) Reflectivity (0) "
                             "Specularity (9) TextureFile (" +
                             texture + ")\n";
    const std::string old = dir.write("old.tga", "old picture");
    const std::string missing = dir.path("missing.ray"), folder = dir.path("");
    const std::string noFolder = dir.path("no-such-folder/out.tga");
    struct Case {
        const char* name;
        std::string scene;
        std::string out;
        std::string consoleTail;  // after the counts: nothing else follows
        std::string errors;
    };
    const Case cases[] = {
        {"a missing scene file", missing, old, "ERROR: Unable to open file \"" + missing + "\"\n",
         ""},
        {"a scene file that is a folder", folder, old,
         "ERROR: Unable to open file \"" + folder + "\"\n", ""},
        {"an output in a missing folder", scene, noFolder, echo, unwritable(noFolder)},
        {"an output that is a folder", scene, folder, echo, unwritable(folder)},
        {"a texture as output", scene, texture, echo,
         "ERROR: Not writing the picture to \"" + texture + "\": it is a texture of the scene.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = dir.entries();
        const RunResult result = runWith({c.scene.c_str(), "2", "1", c.out.c_str()});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.console, kBanner + counts("2", 0) + c.consoleTail);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(dir.entries(), before);
    }
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
// A framebuffer refused by a cap on the memory ends the run too, with no picture.
TEST(Executable, WritesSceneEchoBeforeLaterErrors) {
    TempDir dir;
    const std::string scene = dir.write("one.ray", "Light 1 2 3 1 1 1\n");
    const std::string echo = kHeader + "Light: Position (1,2,3) Color (1,1,1)\n";
    const std::pair<std::string, std::string> cases[] = {
        {"2 1 " + dir.path(""), unwritable(dir.path(""))},
        {"65535 65535 " + dir.path("out.tga"), "ERROR: ALLOCATION FAILED!\n"},
    };
    for (const auto& [arguments, error] : cases) {
        const std::string command = std::string(ORVANE_MEMORY_CAP) + " " + ORVANE_EXECUTABLE + " " +
                                    scene + " " + arguments + " > " + dir.path("both") + " 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << command;
        EXPECT_EQ(WEXITSTATUS(status), 1) << arguments;
        EXPECT_NE(readFile(dir.path("both")).find(echo + error), std::string::npos) << arguments;
        EXPECT_EQ(dir.entries().count("out.tga"), 0u);
    }
}

TEST(Executable, EndsWithStatusOneAndTheOldPictureWhenWritingFails) {
    TempDir dir;
    const std::string empty = dir.write("empty.ray", "");
    const std::string out = dir.write("out.tga", "old picture");
    struct Case {
        const char* name;
        std::string wrapper;
        std::string arguments;
        int status;
        std::optional<std::string> errors;  // none: the shell tells of the signal its own way
    };
    const Case cases[] = {
        {"a full disk, 1 x 1", "", empty + " 1 1 /dev/full", 1, unwritable("/dev/full")},
        {"a full disk, 200 x 100: told once", "", empty + " 200 100 /dev/full", 1,
         unwritable("/dev/full")},
        // The limit is in blocks of 512 or 1024 bytes; the picture takes 30044.
        {"a file size limit whose signal is ignored", "trap '' XFSZ; ulimit -f 8;",
         empty + " 100 100 " + out, 1, unwritable(out)},
        {"a file size limit whose signal ends the run",
         "ulimit -f 8;",
         empty + " 100 100 " + out,
         128 + SIGXFSZ,
         {}},
        {"-recurse 2147483647 between two mirrors", "",
         "mirrors.ray 16 12 " + dir.path("mirrors.tga") + " -recurse 2147483647", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = dir.entries();
        const ProgramRun run = runProgram(ORVANE_EXAMPLES_DIR, c.arguments, c.wrapper);
        EXPECT_EQ(run.status, c.status);
        if (c.errors) {
            EXPECT_EQ(run.errors, *c.errors);
        }
        if (c.status != 0) {
            EXPECT_EQ(dir.entries(), before);
        }
    }
    EXPECT_EQ(readFile(dir.path("mirrors.tga")).size(), pictureSize(16, 12));
}

// "Orvane s.ray 64 48 /dev/stdout | convert tga:- s.png": only the picture goes down the pipe.
TEST(Executable, SendsThePictureAloneDownTheConsolePipe) {
    TempDir dir;
    const std::string program = std::string(ORVANE_EXECUTABLE) + " showcase.ray 8 6 ";
    const std::string command = "cd " + std::string(ORVANE_EXAMPLES_DIR) + " && " + program +
                                "/dev/stdout 2> " + dir.path("messages") + " | cat > " +
                                dir.path("piped.tga") + " && " + program + dir.path("named.tga") +
                                " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(readFile(dir.path("piped.tga")), readFile(dir.path("named.tga")));
    EXPECT_EQ(readFile(dir.path("named.tga")).size(), pictureSize(8, 6));
    EXPECT_EQ(readFile(dir.path("messages")).substr(0, kBanner.size()), kBanner);
}

TEST(Executable, InterruptedRunLeavesTheOldPictureAndNoTemporaryFile) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        const std::string out = dir.write("out.tga", "old picture");
        const auto before = dir.entries();
        const std::string scene = std::string(ORVANE_EXAMPLES_DIR) + "/showcase.ray";
        const char* const argv[] = {"Orvane",    scene.c_str(), "1000", "1000",
                                    out.c_str(), "-recurse",    "3",    nullptr};
        const pid_t child = fork();
        if (child == 0) {
            // Whatever the test runner ignores or blocks, the program starts as from a shell.
            std::signal(signal, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execv(ORVANE_EXECUTABLE, const_cast<char* const*>(argv));
            _exit(127);
        }
        ASSERT_GT(child, 0);
        // Rendering has begun once the temporary file is there.
        for (int wait = 0; wait < 20000 && dir.entries().size() == before.size(); ++wait)
            usleep(1000);
        EXPECT_EQ(dir.entries().size(), before.size() + 1);
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(dir.entries(), before);
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
