#pragma once

#include <sys/types.h>

#include <cstdio>
#include <optional>

// Which file a name or a stream leads to. Two names that lead to the same device and inode are the
// same file, whatever links or folders lie on the way.
struct FileIdentity {
    dev_t device;
    ino_t inode;

    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
};

// The file the name leads to, symbolic links followed; none when it cannot be examined.
std::optional<FileIdentity> identityOf(const char* name);
// The file an open stream reads or writes; none for a stream without a file, such as a memory one.
std::optional<FileIdentity> identityOf(std::FILE* stream);
