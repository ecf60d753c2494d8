#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>

#include "app/thread_count.h"
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

// Runs the program behind wrapper in the examples folder, both streams in one file as "2>&1"
// makes them; a signal's end gives 128 + signal, as in a shell.
std::pair<int, std::string> run(const std::string& wrapper, const std::string& arguments) {
    TempDir logs;
    const std::string log = logs.path("output");
    const std::string command = "cd '" ORVANE_EXAMPLES_DIR "' && { " + wrapper +
                                " " ORVANE_EXECUTABLE " " + arguments + "; } > " + log + " 2>&1";
    const int ended = std::system(command.c_str());
    return {WIFSIGNALED(ended) ? 128 + WTERMSIG(ended) : WEXITSTATUS(ended), readFile(log)};
}

}  // namespace

TEST(Driver, ReportsHowFarTheRunGotAndReplacesThePictureOnlyWhenItIsComplete) {
    TempDir dir;
    const std::string scene = dir.write("s.ray", ""), out = dir.path("o.tga");
    const std::string echo =
        "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";
    const auto sized = [&](const std::string& size) { return scene + " " + size + " " + out; };
    const std::string refused = "ERROR: Picture sides must be 1 to 65535 pixels, not ";
    const std::string misplaced =
        "ERROR: \"-recurse\" stands where the output file belongs: give the options after it, as "
        "in Orvane <sceneFile.ray> <XRes> <YRes> <outfile.tga> [-recurse n] (a file whose name "
        "begins with - can be written as ./-name).\n";
    const std::string threads =
        "WARNING: ORVANE_THREADS is \"4x\", not a whole number from 1 to 256: using " +
        std::to_string(processorsAllowed()) + (processorsAllowed() == 1 ? " thread" : " threads") +
        ".\n";
    // Interrupts once the picture's file, still without a name, shows that rendering has begun.
    const std::string interrupt = "(for i in $(seq 3000); do ls -l /proc/$$/fd | grep -q " +
                                  dir.path("#") +
                                  " && break; sleep 0.01; done; kill -INT $$) & exec";
    // Each with the exit status and how the output after the banner begins.
    const std::tuple<std::string, std::string, int, std::string> cases[] = {
        {"", sized("1 65535") + " -recurse 2", 0,
         counts("65535", "2") + echo + std::string(74, '.') + "\n" + std::string(74, '*') + "\n"},
        {"", sized("-4 3"), 1, counts("-12") + refused + "-4 x 3.\n"},
        // Refused before the size and the scene: no "-recurse" file appears where it would.
        {"cd " + dir.path("") + " &&", sized("3 2 -recurse 3"), 1, counts("6") + misplaced},
        {"", scene + " 0 2 -recurse", 1, counts("0") + misplaced},
        {"ORVANE_THREADS=4x", sized("65535 1"), 0, counts("65535") + echo + threads + ".\n*\n"},
        // The console is the standard output unless the picture goes down it.
        {"exec 2> /dev/null;", sized("3 2"), 0, counts("6") + echo + "..\n**\n"},
        {"", sized("65535 65536"), 1, counts("4294901760") + refused + "65535 x 65536.\n"},
        {"", scene + " 2 1 /dev/full", 1,
         counts("2") + echo + ".\nERROR: Unable to write to /dev/full.\n*\n"},
        {"", "", 255, ""},
        {ORVANE_MEMORY_CAP, sized("65535 65535"), 1, counts("4294836225")},
        // The limit is in blocks of 512 or 1024 bytes; the picture takes 30044.
        {"trap '' XFSZ; ulimit -f 8;", sized("100 100"), 1, counts("10000")},
        {"ulimit -f 8;", sized("100 100"), 128 + SIGXFSZ, counts("10000")},
        {"", "mirrors.ray 16 12 " + out + " -recurse 2147483647", 0, counts("192", "2147483647")},
        {interrupt, "mirrors.ray 300 300 " + out + " -recurse 2147483647", 128 + SIGINT, ""},
        {"", scene + " 8 6 /dev/stdout | cat > " + out, 0,
         counts("48") + echo + "......\n******\n"},
    };
    for (const auto& [wrapper, arguments, status, begins] : cases) {
        SCOPED_TRACE(wrapper + " " + arguments);
        dir.write("o.tga", "old picture");
        const auto before = dir.entries();
        const auto [ended, output] = run(wrapper, arguments);
        EXPECT_EQ(ended, status);
        EXPECT_EQ(output.substr(0, kBanner.size() + begins.size()), kBanner + begins);
        EXPECT_EQ(dir.entries() == before, status != 0) << "a new picture only from a success";
    }
}

TEST(Driver, AnswersHelpVersionAndCheckWithoutTheBanner) {
    TempDir dir;
    const std::string scene = dir.write("s.ray", "");
    const std::tuple<std::string, int, std::string> cases[] = {
        {"--version", 0,
         "Orvane " ORVANE_VERSION
         "\nCopyright (c) 2026 The Orvane developers\nMIT licence: free to use, copy, change and "
         "share, with no warranty.\n"},
        {"--check", 1,
         "ERROR: Nothing to check: give one or more scene files, as in Orvane --check scene.ray\n"},
    };
    for (const auto& [arguments, status, output] : cases) {
        EXPECT_EQ(run("", arguments), std::pair(status, output)) << arguments;
    }
    // The checker's findings are its own tests' business; its status comes through.
    EXPECT_EQ(run("", "--check " + scene).first, 0);
    EXPECT_EQ(run("", "--check " + scene + " " + dir.path("missing.ray")).first, 1);

    const auto [status, help] = run("", "--help");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(help.rfind("Usage: Orvane ", 0), 0u) << help;
    for (const char* mention : {"-recurse n", "--check SCENE...", "--help", "--version", ".png",
                                "standard output", "ORVANE_THREADS", "man Orvane"}) {
        EXPECT_NE(help.find(mention), std::string::npos) << mention;
    }
}

// With valgrind, or AddressSanitizer built in, a leak or an invalid read fails the run. Through
// "-" the picture fills standard output alone and the console lines take the error stream.
TEST(Executable, GivesTheOneThreadBytesOnSeveralThreadsOrThroughStandardOutputWithoutLeaks) {
    std::string checker = ORVANE_LEAK_CHECKER;
    const bool unchecked = !checker.empty() && std::system("command -v valgrind > /dev/null") != 0;
    if (unchecked) checker.clear();
    TempDir dir;
    const std::string out = dir.path("o.tga");
    std::string firstConsole, firstPicture;
    const std::pair<std::string, std::string> runs[] = {
        {"1", out}, {"2", out}, {"5", "- > " + out}};
    for (const auto& [threads, output] : runs) {
        const auto [status, console] = run("ORVANE_THREADS=" + threads + " " + checker,
                                           "showcase.ray 97 61 " + output + " -recurse 3");
        ASSERT_EQ(status, 0) << console;
        const std::string picture = readFile(out);
        if (firstConsole.empty()) {
            firstConsole = console;
            firstPicture = picture;
        }
        EXPECT_TRUE(console == firstConsole) << threads << " threads, " << output;
        EXPECT_TRUE(picture == firstPicture) << threads << " threads, " << output;
    }
    if (unchecked) GTEST_SKIP() << "leaks unchecked without valgrind: package valgrind";
}
