#include "image/file_identity.h"

#include <sys/stat.h>

std::optional<FileIdentity> identityOf(const char* name) {
    struct stat status;
    if (stat(name, &status) != 0) return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

std::optional<FileIdentity> identityOf(std::FILE* stream) {
    struct stat status;
    const int descriptor = fileno(stream);
    if (descriptor < 0 || fstat(descriptor, &status) != 0) return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}
