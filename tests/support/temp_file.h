#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>

// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name) const { return root_ + "/" + name; }
    // Writes bytes to name inside the directory and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;
    // Each entry, hidden ones too: a file's bytes, "-> target" for a link, "folder" or "special".
    std::map<std::string, std::string> entries() const;

private:
    std::string root_;
};

std::string readFile(const std::string& path);

// A stream whose written bytes can be read back: stands in for the console in tests.
class CapturedStream {
public:
    std::FILE* file() const { return file_.get(); }
    std::string text() const;

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{std::tmpfile(), std::fclose};
};
