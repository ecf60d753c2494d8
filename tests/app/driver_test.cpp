#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_file.h"

namespace {

const std::string kBanner =
    "Orvane " ORVANE_VERSION
    " - a ray tracer of spheres, cylinders and planes\n"
    "Usage: Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> [-recurse n]\n\n"
    "(the -recurse option specifies the level of reflection-depth to compute)\n\n";
const std::string kHeader =
    "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";

std::size_t pictureSize(std::size_t pixels) { return 18 + 3 * pixels + 26; }

std::string counts(const std::string& rays, const std::string& depth) {
    return "Ray tracing " + rays + " primary rays.\nUsing " + depth + " recursions.\n";
}

std::string progress(int marks) {
    return std::string(marks, '.') + "\n" + std::string(marks, '*') + "\n";
}

struct RunResult {
    int status;
    std::string console;  // of a process: both streams as they reached one file
    std::string errors;
};

RunResult runInProcess(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "Orvane");
    CapturedStream console, errors;
    const int status = runOrvane(static_cast<int>(arguments.size()), arguments.data(),
                                 console.file(), errors.file());
    return {status, console.text(), errors.text()};
}

// Runs the real program from the examples folder behind wrapper, both streams into one file; a
// signal ends it with status 128 + signal, as a shell tells it.
RunResult runProgram(const std::string& wrapper, const std::string& arguments) {
    TempDir logs;
    const std::string command = "cd '" ORVANE_EXAMPLES_DIR "' && { " + wrapper +
                                " " ORVANE_EXECUTABLE " " + arguments + "; } > " +
                                logs.path("output") + " 2>&1";
    const int status = std::system(command.c_str());
    return {WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status),
            readFile(logs.path("output")), ""};
}

}  // namespace

TEST(Driver, ReportsHowFarTheRunGotAndReplacesThePictureOnlyWhenItIsComplete) {
    TempDir dir;
    const std::string scene =
        dir.write("one.ray", "Sphere 0 0 0 50 1 0.5 0 0 20 none\nLight 0 0 256 1 1 1\n");
    const std::string echo = kHeader +
                             "Sphere: Center (0,0,0) Radius (50) Color (1,0.5,0) Reflectivity (0) "
                             "Specularity (20) TextureFile (none)\n"
                             "Light: Position (0,0,256) Color (1,1,1)\n";
    const std::string out = dir.write("out.tga", "old picture"), missing = dir.path("missing.ray");
    const auto refused = [](const std::string& size) {
        return "ERROR: Picture sides must be 1 to 65535 pixels, not " + size + ".\n";
    };
    const char *s = scene.c_str(), *o = out.c_str();
    struct Case {
        std::vector<const char*> arguments;
        int status;
        std::string console;  // after the banner
        std::string errors;
        std::size_t pixels;  // of the new picture; 0 when the old one must stay
    };
    const Case cases[] = {
        {{s, "400", "300", o, "-recurse", "2"},
         0,
         counts("120000", "2") + echo + progress(75),
         "",
         120000},
        {{s, "1", "1", o}, 0, counts("1", "0") + echo + progress(1), "", 1},
        {{s, "65535", "1", o}, 0, counts("65535", "0") + echo + progress(1), "", 65535},
        {{s, "-4", "3", o}, 1, counts("-12", "0"), refused("-4 x 3"), 0},
        {{s, "1", "65536", o}, 1, counts("65536", "0"), refused("1 x 65536"), 0},
        {{s, "65536", "65536", o}, 1, counts("4294967296", "0"), refused("65536 x 65536"), 0},
        {{missing.c_str(), "2", "1", o},
         1,
         counts("2", "0") + "ERROR: Unable to open file \"" + missing + "\"\n",
         "",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.arguments[0] << " " << c.arguments[1] << " x " << c.arguments[2]);
        const auto before = dir.entries();
        const RunResult run = runInProcess(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.console, kBanner + c.console);
        EXPECT_EQ(run.errors, c.errors);
        if (c.pixels == 0) {
            EXPECT_EQ(dir.entries(), before);
        } else {
            EXPECT_EQ(readFile(out).size(), pictureSize(c.pixels));
        }
    }
}

TEST(Driver, SeveralThreadsGiveTheOneThreadBytes) {
    TempDir dir;
    const auto render = [&](const char* threads) {
        setenv("ORVANE_THREADS", threads, 1);
        const std::string out = dir.path(std::string(threads) + ".tga");
        const RunResult run = runInProcess(
            {ORVANE_EXAMPLES_DIR "/showcase.ray", "97", "61", out.c_str(), "-recurse", "3"});
        unsetenv("ORVANE_THREADS");
        return std::pair(run.console + run.errors, readFile(out));
    };
    const auto single = render("1");
    for (const char* threads : {"2", "5"}) EXPECT_EQ(render(threads), single) << threads;
}

// What only a process shows: its exit status, the order in which both streams reach one file,
// the picture alone down a pipe, and the old picture untouched by a run that stops early.
TEST(Executable, EndsWithItsStatusAndKeepsTheOldPictureWhenItCannotFinish) {
    TempDir dir;
    const std::string scene = dir.write("one.ray", "Light 1 2 3 1 1 1\n");
    const std::string echo = kHeader + "Light: Position (1,2,3) Color (1,1,1)\n";
    const std::string out = dir.write("out.tga", "old picture");
    const std::string slow = "mirrors.ray 300 300 " + out + " -recurse 2147483647";
    // Sends the signal to the program once its temporary file shows that rendering has begun.
    const auto interrupt = [&](const std::string& signal) {
        return "(for i in $(seq 3000); do ls -a " + dir.path("") +
               " | grep -q '^[.]out[.]tga[.]' && break; sleep 0.01; done; kill -" + signal +
               " $$) & exec";
    };
    struct Case {
        const char* name;
        std::string wrapper;
        std::string arguments;
        int status;
        std::string shows;   // a stretch of the output
        std::size_t pixels;  // of the new picture; 0 when the old one must stay
    };
    const Case cases[] = {
        {"no arguments", "", "", 255, kBanner, 0},
        {"a full disk, told between the progress lines", "", scene + " 2 1 /dev/full", 1,
         echo + ".\nERROR: Unable to write to /dev/full.\n*\n", 0},
        {"a framebuffer refused under a cap on the memory", ORVANE_MEMORY_CAP,
         scene + " 65535 65535 " + out, 1, echo + "ERROR: ALLOCATION FAILED!\n", 0},
        // The limit is in blocks of 512 or 1024 bytes; the picture takes 30044.
        {"a file size limit whose signal is ignored", "trap '' XFSZ; ulimit -f 8;",
         scene + " 100 100 " + out, 1, "ERROR: Unable to write to " + out + ".\n", 0},
        {"a file size limit whose signal ends the run", "ulimit -f 8;", scene + " 100 100 " + out,
         128 + SIGXFSZ, "", 0},
        {"an interrupt", interrupt("INT"), slow, 128 + SIGINT, "", 0},
        {"a request to terminate", interrupt("TERM"), slow, 128 + SIGTERM, "", 0},
        {"the picture down the console pipe, the messages beside it", "",
         "mirrors.ray 8 6 /dev/stdout -recurse 2147483647 | cat > " + out, 0,
         kBanner + counts("48", "2147483647"), 8 * 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = dir.entries();
        const RunResult run = runProgram(c.wrapper, c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.console.find(c.shows), std::string::npos) << run.console;
        if (c.pixels == 0) {
            EXPECT_EQ(dir.entries(), before);
        } else {
            const std::string picture = readFile(out);
            EXPECT_EQ(picture.size(), pictureSize(c.pixels));
            EXPECT_EQ(picture.substr(picture.size() - 18), std::string("TRUEVISION-XFILE.", 18));
        }
    }
}

TEST(Executable, RendersTexturedExampleWithoutLeaksOrInvalidReads) {
    const std::string checker = ORVANE_LEAK_CHECKER;
    if (!checker.empty() && std::system("command -v valgrind > /dev/null") != 0)
        GTEST_SKIP() << "needs valgrind: package valgrind";
    TempDir dir;
    const RunResult run =
        runProgram(checker, "showcase.ray 32 24 " + dir.path("s.tga") + " -recurse 3");
    EXPECT_EQ(run.status, 0) << run.console;
    EXPECT_EQ(readFile(dir.path("s.tga")).size(), pictureSize(32 * 24));
}
