#include "app/driver.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <wordexp.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
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

std::string counts(const std::string& rays, const std::string& depth = "0") {
    return "Ray tracing " + rays + " primary rays.\nUsing " + depth + " recursions.\n";
}

// The output without AddressSanitizer's word on an allocation it refused: not the program's.
std::string withoutSanitizerWarnings(std::string text) {
    for (std::size_t at;
         (at = text.find("==WARNING: AddressSanitizer failed")) != std::string::npos;) {
        const std::size_t start = text.rfind('\n', at) + 1;
        text.erase(start, text.find('\n', at) + 1 - start);
    }
    return text;
}

// Runs the program in this process, or behind wrapper from the examples folder, both streams
// appending to one file as "2>&1" makes them; a signal's end gives 128 + signal, as in a shell.
std::pair<int, std::string> run(const std::optional<std::string>& wrapper,
                                const std::string& arguments) {
    TempDir logs;
    const std::string log = logs.path("output");
    if (wrapper) {
        const std::string command = "cd '" ORVANE_EXAMPLES_DIR "' && { " + *wrapper +
                                    " " ORVANE_EXECUTABLE " " + arguments + "; } > " + log +
                                    " 2>&1";
        const int ended = std::system(command.c_str());
        return {WIFSIGNALED(ended) ? 128 + WTERMSIG(ended) : WEXITSTATUS(ended),
                withoutSanitizerWarnings(readFile(log))};
    }
    wordexp_t argv;
    EXPECT_EQ(wordexp(("Orvane " + arguments).c_str(), &argv, WRDE_NOCMD), 0);
    std::FILE* files[] = {std::fopen(log.c_str(), "a"), std::fopen(log.c_str(), "a")};
    const int status =
        runOrvane(static_cast<int>(argv.we_wordc), argv.we_wordv, files[0], files[1]);
    for (std::FILE* file : files) std::fclose(file);
    wordfree(&argv);
    return {status, readFile(log)};
}

}  // namespace

// In this process unless only a process shows it: exit status, limits, signals, pipes.
TEST(Driver, ReportsHowFarTheRunGotAndReplacesThePictureOnlyWhenItIsComplete) {
    TempDir dir;
    const std::string scene = dir.write("s.ray", "Light 1 2 3 1 1 1\n"), out = dir.path("o.tga");
    const std::string echo =
        "-------------- Building Scene -------------\nCamera: Position "
        "(0,0,256)\nLight: Position (1,2,3) Color (1,1,1)\n";
    const auto sized = [&](const std::string& size) { return scene + " " + size + " " + out; };
    const std::string refused = "ERROR: Picture sides must be 1 to 65535 pixels, not ";
    // Sends the signal once the temporary file shows that rendering has begun.
    const auto interrupt = [&](const std::string& signal) {
        return "(for i in $(seq 3000); do [ -e " + dir.path(".o.tga.*") +
               " ] && break; sleep 0.01; done; kill -" + signal + " $$) & exec";
    };
    const std::string slow = "mirrors.ray 300 300 " + out + " -recurse 2147483647";
    const std::optional<std::string> inProcess;
    struct Case {
        std::optional<std::string> wrapper;  // none: run in this process
        std::string arguments;
        int status;
        std::string begins;  // the output after the banner, or how it begins
    };
    const Case cases[] = {
        {inProcess, sized("1 65535") + " -recurse 2", 0,
         counts("65535", "2") + echo + std::string(74, '.') + "\n" + std::string(74, '*') + "\n"},
        {inProcess, sized("-4 3"), 1, counts("-12") + refused + "-4 x 3.\n"},
        {inProcess, sized("65535 65536"), 1, counts("4294901760") + refused + "65535 x 65536.\n"},
        {inProcess, scene + " 2 1 /dev/full", 1,
         counts("2") + echo + ".\nERROR: Unable to write to /dev/full.\n*\n"},
        {"", "", 255, ""},
        {ORVANE_MEMORY_CAP, sized("65535 65535"), 1,
         counts("4294836225") + echo + "ERROR: ALLOCATION FAILED!\n"},
        // The limit is in blocks of 512 or 1024 bytes; the picture takes 30044.
        {"trap '' XFSZ; ulimit -f 8;", sized("100 100"), 1, counts("10000")},
        {"ulimit -f 8;", sized("100 100"), 128 + SIGXFSZ, counts("10000")},
        {"", "mirrors.ray 16 12 " + out + " -recurse 2147483647", 0, counts("192", "2147483647")},
        {interrupt("INT"), slow, 128 + SIGINT, ""},
        {interrupt("TERM"), slow, 128 + SIGTERM, ""},
        {"", scene + " 8 6 /dev/stdout | cat > " + out, 0,
         counts("48") + echo + "......\n******\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wrapper.value_or("in this process:") + " " + c.arguments);
        dir.write("o.tga", "old picture");
        const auto before = dir.entries();
        const auto [status, output] = run(c.wrapper, c.arguments);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(output.substr(0, kBanner.size() + c.begins.size()), kBanner + c.begins);
        EXPECT_EQ(dir.entries() == before, c.status != 0) << "a new picture only from a success";
    }
}

TEST(Driver, SeveralThreadsGiveTheOneThreadBytes) {
    TempDir dir;
    const std::string out = dir.path("o.tga");
    std::vector<std::string> runs;
    for (const char* threads : {"1", "2", "5"}) {
        setenv("ORVANE_THREADS", threads, 1);
        const std::string console =
            run({}, ORVANE_EXAMPLES_DIR "/showcase.ray 97 61 " + out + " -recurse 3").second;
        runs.push_back(console + readFile(out));
    }
    unsetenv("ORVANE_THREADS");
    EXPECT_TRUE(runs[1] == runs[0] && runs[2] == runs[0]) << "2 or 5 threads differ from 1";
}

TEST(Executable, RendersTexturedExampleWithoutLeaksOrInvalidReads) {
    const std::string checker = ORVANE_LEAK_CHECKER;
    if (!checker.empty() && std::system("command -v valgrind > /dev/null") != 0)
        GTEST_SKIP() << "needs valgrind: package valgrind";
    TempDir dir;
    const auto [status, output] =
        run(checker, "showcase.ray 32 24 " + dir.path("s.tga") + " -recurse 3");
    EXPECT_EQ(status, 0) << output;
}
