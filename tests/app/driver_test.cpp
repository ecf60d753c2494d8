#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <sstream>
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

std::string counts(const std::string& rays, const std::string& depth) {
    return "Ray tracing " + rays + " primary rays.\nUsing " + depth + " recursions.\n";
}

// Runs the program in this process, its two streams appending to one file as "2>&1" makes them.
std::pair<int, std::string> runInProcess(const std::string& arguments) {
    std::istringstream words(arguments);
    std::vector<std::string> kept(std::istream_iterator<std::string>(words), {});
    std::vector<const char*> argv = {"Orvane"};
    for (const std::string& word : kept) argv.push_back(word.c_str());
    TempDir logs;
    const std::string log = logs.path("output");
    std::FILE* console = std::fopen(log.c_str(), "a");
    std::FILE* errors = std::fopen(log.c_str(), "a");
    const int status = runOrvane(static_cast<int>(argv.size()), argv.data(), console, errors);
    std::fclose(console);
    std::fclose(errors);
    return {status, readFile(log)};
}

// Runs the real program from the examples folder behind wrapper, both streams into one file; a
// signal ends it with status 128 + signal, as a shell tells it.
std::pair<int, std::string> runProgram(const std::string& wrapper, const std::string& arguments) {
    TempDir logs;
    const std::string command = "cd '" ORVANE_EXAMPLES_DIR "' && { " + wrapper +
                                " " ORVANE_EXECUTABLE " " + arguments + "; } > " +
                                logs.path("output") + " 2>&1";
    const int status = std::system(command.c_str());
    return {WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status),
            readFile(logs.path("output"))};
}

}  // namespace

// Runs in this process unless they need what only a process shows: its exit status, a limit set
// on it, a signal, a pipe.
TEST(Driver, ReportsHowFarTheRunGotAndReplacesThePictureOnlyWhenItIsComplete) {
    TempDir dir;
    const std::string scene = dir.write("one.ray", "Light 1 2 3 1 1 1\n"),
                      out = dir.path("out.tga");
    const std::string echo =
        "-------------- Building Scene -------------\nCamera: Position "
        "(0,0,256)\nLight: Position (1,2,3) Color (1,1,1)\n";
    const std::string refusal = "ERROR: Picture sides must be 1 to 65535 pixels, not ";
    // Sends the signal once the temporary file shows that rendering has begun.
    const auto interrupt = [&](const std::string& signal) {
        return "(for i in $(seq 3000); do ls -a " + dir.path("") +
               " | grep -q '^[.]out[.]tga[.]' && break; sleep 0.01; done; kill -" + signal +
               " $$) & exec";
    };
    const std::string slow = "mirrors.ray 300 300 " + out + " -recurse 2147483647";
    struct Case {
        std::optional<std::string> wrapper;  // none: run in this process
        std::string arguments;
        int status;
        std::string begins;  // the output after the banner, or how it begins
        int pixels;          // of the new picture; 0 when the old one must stay
    };
    const Case cases[] = {
        {{},
         scene + " 1 65535 " + out + " -recurse 2",
         0,
         counts("65535", "2") + echo + std::string(74, '.') + "\n" + std::string(74, '*') + "\n",
         65535},
        {{}, scene + " -4 3 " + out, 1, counts("-12", "0") + refusal + "-4 x 3.\n", 0},
        {{},
         scene + " 65535 65536 " + out,
         1,
         counts("4294901760", "0") + refusal + "65535 x 65536.\n",
         0},
        {{},
         dir.path("none.ray") + " 2 1 " + out,
         1,
         counts("2", "0") + "ERROR: Unable to open file \"" + dir.path("none.ray") + "\"\n",
         0},
        {{},
         scene + " 2 1 /dev/full",
         1,
         counts("2", "0") + echo + ".\nERROR: Unable to write to /dev/full.\n*\n",
         0},
        {"", "", 255, "", 0},
        {ORVANE_MEMORY_CAP, scene + " 65535 65535 " + out, 1,
         counts("4294836225", "0") + echo + "ERROR: ALLOCATION FAILED!\n", 0},
        // The limit is in blocks of 512 or 1024 bytes; the picture takes 30044.
        {"trap '' XFSZ; ulimit -f 8;", scene + " 100 100 " + out, 1, counts("10000", "0"), 0},
        {"ulimit -f 8;", scene + " 100 100 " + out, 128 + SIGXFSZ, counts("10000", "0"), 0},
        {interrupt("INT"), slow, 128 + SIGINT, "", 0},
        {interrupt("TERM"), slow, 128 + SIGTERM, "", 0},
        {"", scene + " 8 6 /dev/stdout | cat > " + out, 0,
         counts("48", "0") + echo + "......\n******\n", 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wrapper.value_or("in this process:") + " " + c.arguments);
        dir.write("out.tga", "old picture");
        const auto before = dir.entries();
        const auto [status, output] =
            c.wrapper ? runProgram(*c.wrapper, c.arguments) : runInProcess(c.arguments);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(output.substr(0, kBanner.size() + c.begins.size()), kBanner + c.begins);
        if (c.pixels == 0) {
            EXPECT_EQ(dir.entries(), before);
        } else {
            EXPECT_EQ(readFile(out).size(), 18 + 3u * c.pixels + 26);
        }
    }
}

TEST(Driver, SeveralThreadsGiveTheOneThreadBytes) {
    TempDir dir;
    const auto render = [&](const char* threads) {
        setenv("ORVANE_THREADS", threads, 1);
        const std::string out = dir.path(std::string(threads) + ".tga");
        const auto run =
            runInProcess(ORVANE_EXAMPLES_DIR "/showcase.ray 97 61 " + out + " -recurse 3");
        unsetenv("ORVANE_THREADS");
        return std::pair(run, readFile(out));
    };
    const auto single = render("1");
    for (const char* threads : {"2", "5"}) EXPECT_EQ(render(threads), single) << threads;
}

TEST(Executable, RendersTexturedExampleWithoutLeaksOrInvalidReads) {
    const std::string checker = ORVANE_LEAK_CHECKER;
    if (!checker.empty() && std::system("command -v valgrind > /dev/null") != 0)
        GTEST_SKIP() << "needs valgrind: package valgrind";
    TempDir dir;
    const auto [status, output] =
        runProgram(checker, "showcase.ray 32 24 " + dir.path("s.tga") + " -recurse 3");
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(readFile(dir.path("s.tga")).size(), 18u + 3 * 32 * 24 + 26);
}
