#include "image/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iterator>
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

// Makes every file system of the process refuse files without a name, as some do.
static void refuseUnnamedFiles() {
    sock_filter filter[] = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
                            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
                            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
                            BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, __O_TMPFILE & ~O_DIRECTORY, 0, 1),
                            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
                            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
    const sock_fprog program = {std::size(filter), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        _exit(1);
    }
}

// Where files without a name cannot be made, the hidden temporary file stands in for one: a
// signal that ends the process removes it.
TEST(OutputFile, SignalThatEndsTheProcessTakesTheTemporaryFileAlong) {
    TempDir dir;
    if (fork() == 0) {
        refuseUnnamedFiles();
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

TEST(OutputFile, DashIsTheStandardOutputWrittenDirectly) {
    TempDir dir;
    const std::string scene = dir.write("s.ray", "Light 0 0 100 1 1 1\n");
    const std::string run = "cd '" + dir.path("") + "' && " ORVANE_EXECUTABLE " s.ray 3 2 ";
    ASSERT_EQ(std::system((run + "named.tga > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system((run + "- 2> /dev/null > dash").c_str()), 0);
    EXPECT_EQ(readFile(dir.path("dash")), readFile(dir.path("named.tga")));
    // The scene file on the standard output is refused as it would be by name.
    EXPECT_NE(std::system((run + "- 2> /dev/null >> s.ray").c_str()), 0);
    EXPECT_EQ(readFile(scene), "Light 0 0 100 1 1 1\n");
}

// Killed once rows have been written, a run leaves the folder as it was: the old pictures and
// nothing else.
TEST(OutputFile, RunKilledWhileWritingLeavesTheFolderAsItWas) {
    TempDir dir;
    dir.write("o.tga", "old picture");
    dir.write("o.png", "old picture");
    const auto before = dir.entries();
    for (const std::string name : {"o.tga", "o.png"}) {
        // The program keeps the shell's process id; its first star follows the first rows written.
        std::FILE* console =
            popen(("cd '" ORVANE_EXAMPLES_DIR "' && echo $$ && exec " ORVANE_EXECUTABLE
                   " mirrors.ray 300 300 " +
                   dir.path(name) + " -recurse 2147483647")
                      .c_str(),
                  "r");
        ASSERT_NE(console, nullptr);
        int program = 0;
        ASSERT_EQ(std::fscanf(console, "%d", &program), 1);
        for (int c = 0; c != EOF && c != '*';) c = std::fgetc(console);
        kill(program, SIGKILL);
        const int status = pclose(console);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << name;
    }
    EXPECT_EQ(dir.entries(), before);
}
