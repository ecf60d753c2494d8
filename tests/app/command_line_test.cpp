#include "app/command_line.h"

#include <gtest/gtest.h>
#include <wordexp.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

TEST(CommandLine, ReadsNumbersAsStrtolWouldAndTheDepthOnlyAfterRecurse) {
    const std::pair<const char*, int> numbers[] = {
        {"640", 640}, {"  +12", 12},           {"3abc", 3},
        {"abc", 0},   {"2147483648", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto& [text, expected] : numbers) EXPECT_EQ(readInteger(text), expected) << text;

    const std::pair<const char*, int> depths[] = {
        {"", 0},           {"-recurse 3abc", 3}, {"-recurse -3", 0},
        {"-Recurse 3", 0}, {"-recurse", 0},      {"-recurse 2 ignored", 2},
    };
    for (const auto& [extra, depth] : depths) {
        wordexp_t argv;  // split as a shell splits a command line
        ASSERT_EQ(wordexp((std::string("Orvane s.ray 4 3 o.tga ") + extra).c_str(), &argv, 0), 0);
        const auto line = parseCommandLine(static_cast<int>(argv.we_wordc), argv.we_wordv);
        ASSERT_TRUE(line) << extra;
        EXPECT_EQ(line->depth, depth) << extra;
        EXPECT_EQ(std::make_pair(line->width, line->height), std::make_pair(4, 3));
        wordfree(&argv);
    }
    // Fewer than four arguments after the program name make no run.
    EXPECT_FALSE(parseCommandLine(4, std::vector<const char*>{"Orvane", "s", "1", "1"}.data()));
}
