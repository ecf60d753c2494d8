#include "app/command_line.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(CommandLine, ReadsIntegersAsStrtolWouldSaturatingTo32Bits) {
    const std::pair<const char*, int> cases[] = {
        {"640", 640},
        {"  +12", 12},
        {"3abc", 3},
        {"abc", 0},
        {"2147483648", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(readInteger(text), expected) << text;
}

TEST(CommandLine, DepthComesOnlyFromRecurseAndIsNeverNegative) {
    struct Case {
        std::vector<const char*> extra;
        int depth;
    };
    const Case cases[] = {
        {{}, 0},
        {{"-recurse", "3abc"}, 3},
        {{"-recurse", "-3"}, 0},
        {{"-Recurse", "3"}, 0},
        {{"-recurse"}, 0},
        {{"-recurse", "2", "ignored"}, 2},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"Orvane", "s.ray", "4", "3", "o.tga"};
        argv.insert(argv.end(), c.extra.begin(), c.extra.end());
        const auto line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->depth, c.depth) << argv.size() << " arguments";
        EXPECT_EQ(std::make_pair(line->width, line->height), std::make_pair(4, 3));
    }
    EXPECT_FALSE(parseCommandLine(4, std::vector<const char*>{"Orvane", "s", "1", "1"}.data()));
}
