#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CommandLine, ReadsIntegersAsStrtolWouldSaturatingTo32Bits) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"640", 640},
        {"  +12", 12},
        {"-7", -7},
        {"3abc", 3},
        {"abc", 0},
        {"", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"-99999999999", -2147483647 - 1},
        {"99999999999999999999999", 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readInteger(c.text), c.expected);
    }
}

TEST(CommandLine, NeedsFourArgumentsAfterTheProgramName) {
    const char* argv[] = {"Orvane", "scene.ray", "4", "4", "out.tga"};
    EXPECT_FALSE(parseCommandLine(4, argv));
    const auto line = parseCommandLine(5, argv);
    ASSERT_TRUE(line);
    EXPECT_STREQ(line->sceneFile, "scene.ray");
    EXPECT_EQ(line->width, 4);
    EXPECT_EQ(line->height, 4);
    EXPECT_STREQ(line->outFile, "out.tga");
    EXPECT_EQ(line->depth, 0);
}

TEST(CommandLine, DepthComesOnlyFromRecurseAndIsNeverNegative) {
    struct Case {
        std::vector<const char*> extra;
        int depth;
    };
    const Case cases[] = {
        {{"-recurse", "3"}, 3},  {{"-recurse", "3abc"}, 3}, {{"-recurse", "-3"}, 0},
        {{"-Recurse", "3"}, 0},  {{"-recurse"}, 0},         {{"-recurse", "2", "ignored", "9"}, 2},
        {{"--recurse", "5"}, 0},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"Orvane", "s.ray", "1", "1", "o.tga"};
        argv.insert(argv.end(), c.extra.begin(), c.extra.end());
        SCOPED_TRACE(testing::Message() << argv.size() << " arguments, depth " << c.depth);
        const auto line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->depth, c.depth);
    }
}
