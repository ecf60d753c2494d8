#include "support/temp_file.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempDir::path(const std::string& name) const { return root_ + "/" + name; }

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    const std::string file = path(name);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

std::map<std::string, std::string> TempDir::entries() const {
    std::map<std::string, std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(root_)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink()) {
            found[name] = "-> " + std::filesystem::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            found[name] = readFile(entry.path().string());
        } else {
            found[name] = entry.is_directory() ? "folder" : "special";
        }
    }
    return found;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CapturedStream::CapturedStream() : file_(std::tmpfile()) {
    if (file_ == nullptr) throw std::runtime_error("tmpfile failed");
}

CapturedStream::~CapturedStream() { std::fclose(file_); }

std::string CapturedStream::text() const {
    std::fflush(file_);
    const long end = std::ftell(file_);
    std::string bytes(static_cast<std::size_t>(end), '\0');
    std::rewind(file_);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file_);
    bytes.resize(got);
    std::fseek(file_, 0, SEEK_END);
    return bytes;
}
