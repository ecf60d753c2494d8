#include "image/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>
#include <string>
#include <utility>

#include "image/file_identity.h"
#include "support/temp_file.h"

TEST(OutputFile, ReplacesTheFileOnlyWhenClosedAsOpeningItWouldHave) {
    TempDir dir;
    const mode_t saved = umask(027);
    for (const char* old : {"old", "open old", "real"}) {
        ASSERT_EQ(chmod(dir.write(old, "old").c_str(), 04604), 0);
        ASSERT_TRUE(geteuid() != 0 || chown(dir.path(old).c_str(), 65534, -1) == 0);
    }
    ASSERT_EQ(symlink("real", dir.path("link").c_str()), 0);
    ASSERT_EQ(symlink("ghost", dir.path("dangling").c_str()), 0);
    for (const std::string name : {"new", "old", "link", "dangling", "open new", "open old"}) {
        OutputFile output(dir.path(name));
        std::fputs("new", output.stream());
        EXPECT_TRUE(name.rfind("open ", 0) == 0 || output.close()) << name;
    }
    // A link stays and the file it leads to is replaced, or made when there is none.
    const std::map<std::string, std::string> after = {
        {"new", "new"},  {"old", "new"},           {"open old", "old"}, {"link", "-> real"},
        {"real", "new"}, {"dangling", "-> ghost"}, {"ghost", "new"}};
    EXPECT_EQ(dir.entries(), after);
    EXPECT_FALSE(identityOf(dir.path("old").c_str()) == identityOf(dir.path("real").c_str()));
    // A replaced file keeps its mode, less what no picture needs, and root can keep its owner.
    for (const auto& [name, mode] : {std::pair("new", 0640u), {"old", 0604u}, {"real", 0604u}}) {
        struct stat status {};
        ASSERT_EQ(stat(dir.path(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode) << name;
        EXPECT_TRUE(geteuid() != 0 || status.st_uid == (mode == 0604u ? 65534u : 0u)) << name;
    }
    EXPECT_EQ(umask(saved), 027u);  // put back after each read
}

TEST(OutputFile, SignalThatEndsTheProcessTakesTheTemporaryFileAlong) {
    TempDir dir;
    if (fork() == 0) {
        // Temporary files on descriptor 0, as good as any other; an ignored signal stays ignored.
        close(0);
        signal(SIGHUP, SIG_IGN);
        OutputFile(dir.path("first")).close();
        const OutputFile second(dir.path("second"));
        // Written while the second is open, and unguarded: closing it leaves the second guarded.
        OutputFile(dir.path("third")).close();
        raise(SIGHUP);
        raise(SIGTERM);
        _exit(0);
    }
    int status = 0;
    ASSERT_NE(wait(&status), -1);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(dir.entries(), (std::map<std::string, std::string>{{"first", ""}, {"third", ""}}));
}
