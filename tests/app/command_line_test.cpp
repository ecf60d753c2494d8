#include "app/command_line.h"

#include <gtest/gtest.h>
#include <wordexp.h>

#include <climits>
#include <optional>
#include <string>
#include <utility>

TEST(CommandLine, ReadsNumbersAsStrtolWouldAndTheDepthOnlyAfterRecurse) {
    const std::pair<const char*, int> numbers[] = {
        {"640", 640}, {"  +12", 12},           {"3abc", 3},
        {"abc", 0},   {"2147483648", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto& [text, expected] : numbers) EXPECT_EQ(readInteger(text), expected) << text;

    const std::optional<int> noRun;  // fewer than four arguments follow the program name
    const std::pair<const char*, std::optional<int>> depths[] = {
        {"o", 0},          {"o -recurse 3abc", 3},      {"o -recurse -3", 0}, {"o -Recurse 3", 0},
        {"o -recurse", 0}, {"o -recurse 2 ignored", 2}, {"", noRun},
    };
    for (const auto& [arguments, depth] : depths) {
        wordexp_t argv;  // split as a shell splits a command line
        ASSERT_EQ(wordexp((std::string("Orvane s.ray 4 3 ") + arguments).c_str(), &argv, 0), 0);
        const auto line = parseCommandLine(static_cast<int>(argv.we_wordc), argv.we_wordv);
        wordfree(&argv);
        EXPECT_EQ(line ? std::optional(line->depth) : std::nullopt, depth) << arguments;
    }
}
