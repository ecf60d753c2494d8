#pragma once

#include <cstdio>
#include <map>
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
    // Every entry, hidden ones too, with what it holds: a regular file's bytes, "-> target" for
    // a symbolic link, "folder" or "special" otherwise. Shows what a run left behind.
    std::map<std::string, std::string> entries() const;

private:
    std::string root_;
};

std::string readFile(const std::string& path);

// A stream whose written bytes can be read back: stands in for the console in tests.
class CapturedStream {
public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() { std::fclose(file_); }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return file_; }
    // Everything written so far.
    std::string text() const;

private:
    std::FILE* file_;
};
