#include "image/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "support/temp_file.h"

namespace {

using Entries = std::map<std::string, std::string>;

// Lays out entries as TempDir::entries() shows them: "-> target" makes a symbolic link.
void lay(const TempDir& dir, const Entries& entries) {
    for (const auto& [name, content] : entries) {
        if (content.rfind("-> ", 0) == 0) {
            ASSERT_EQ(symlink(content.substr(3).c_str(), dir.path(name).c_str()), 0) << name;
        } else {
            dir.write(name, content);
        }
    }
}

struct stat statusOf(const std::string& path) {
    struct stat status {};
    stat(path.c_str(), &status);
    return status;
}

}  // namespace

TEST(OutputFile, ReplacesTheFileOnlyWhenClosedAndLeavesNoTemporaryFile) {
    struct Case {
        const char* name;
        Entries before;
        bool close;
        Entries after;
        const char* temporaryPrefix;  // of the temporary file seen while open; none: direct
    };
    const Case cases[] = {
        {"a new name, closed", {}, true, {{"out", "new"}}, ".out."},
        {"a new name, left unclosed", {}, false, {}, ".out."},
        {"an old file, closed", {{"out", "old"}}, true, {{"out", "new"}}, ".out."},
        {"an old file, left unclosed", {{"out", "old"}}, false, {{"out", "old"}}, ".out."},
        {"a link: the file it leads to is replaced",
         {{"out", "-> real"}, {"real", "old"}},
         true,
         {{"out", "-> real"}, {"real", "new"}},
         ".real."},
        {"a link to nothing, written through",
         {{"out", "-> real"}},
         true,
         {{"out", "-> real"}, {"real", "new"}},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        lay(dir, c.before);
        {
            OutputFile output(dir.path("out"));
            ASSERT_NE(output.stream(), nullptr);
            std::fputs("new", output.stream());
            const Entries whileOpen = dir.entries();
            for (const auto& [name, content] : c.before) EXPECT_EQ(whileOpen.at(name), content);
            if (c.temporaryPrefix) {
                ASSERT_EQ(whileOpen.size(), c.before.size() + 1);
                const auto temporary = whileOpen.lower_bound(c.temporaryPrefix);
                ASSERT_NE(temporary, whileOpen.end());
                EXPECT_EQ(temporary->first.rfind(c.temporaryPrefix, 0), 0u) << temporary->first;
                EXPECT_EQ(temporary->first.size(), std::string(c.temporaryPrefix).size() + 6);
            }
            if (c.close) {
                EXPECT_TRUE(output.close());
            }
        }
        EXPECT_EQ(dir.entries(), c.after);
    }
}

TEST(OutputFile, GivesTheModeAndOwnerThatOpeningTheFileWouldHaveGiven) {
    TempDir dir;
    const mode_t saved = umask(027);
    const auto writeThrough = [&](const std::string& name) {
        OutputFile output(dir.path(name));
        return output.stream() != nullptr && output.close();
    };
    EXPECT_TRUE(writeThrough("new"));
    EXPECT_EQ(statusOf(dir.path("new")).st_mode & 07777, 0640u);
    // An existing file keeps its mode, less what no picture needs; root can keep the owner too.
    dir.write("old", "old");
    ASSERT_EQ(chmod(dir.path("old").c_str(), 04604), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(dir.path("old").c_str(), 65534, 65534), 0);
    }
    EXPECT_TRUE(writeThrough("old"));
    const struct stat old = statusOf(dir.path("old"));
    EXPECT_EQ(old.st_mode & 07777, 0604u);
    if (root) {
        EXPECT_EQ(old.st_uid, 65534u);
    }
    EXPECT_EQ(umask(saved), 027u);  // put back after each read
}
