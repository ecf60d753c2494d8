#include "app/command_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

TEST(CommandLine, ReadsIntegersAsStrtolWouldSaturatingTo32Bits) {
    const std::pair<const char*, int> cases[] = {
        {"640", 640}, {"  +12", 12},           {"3abc", 3},
        {"abc", 0},   {"2147483648", INT_MAX}, {"-99999999999", INT_MIN},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(readInteger(text), expected) << text;
}

TEST(CommandLine, DepthComesOnlyFromRecurseAndIsNeverNegative) {
    const std::pair<std::vector<const char*>, int> cases[] = {{{}, 0},
                                                              {{"-recurse", "3abc"}, 3},
                                                              {{"-recurse", "-3"}, 0},
                                                              {{"-Recurse", "3"}, 0},
                                                              {{"-recurse"}, 0},
                                                              {{"-recurse", "2", "ignored"}, 2}};
    for (const auto& [extra, depth] : cases) {
        std::vector<const char*> argv = {"Orvane", "s.ray", "4", "3", "o.tga"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        const auto line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->depth, depth) << argv.size() << " arguments";
        EXPECT_EQ(std::make_pair(line->width, line->height), std::make_pair(4, 3));
    }
    EXPECT_FALSE(parseCommandLine(4, std::vector<const char*>{"Orvane", "s", "1", "1"}.data()));
}
