#include "support/temp_file.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() : root_((fs::temp_directory_path() / "orvane-test-XXXXXX").string()) {
    if (mkdtemp(root_.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
    return path(name);
}

std::map<std::string, std::string> TempDir::entries() const {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::directory_iterator(root_)) {
        found[entry.path().filename().string()] =
            entry.is_symlink()        ? "-> " + fs::read_symlink(entry.path()).string()
            : entry.is_regular_file() ? readFile(entry.path().string())
            : entry.is_directory()    ? "folder"
                                      : "special";
    }
    return found;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string CapturedStream::text() const {
    std::fflush(file());
    std::string bytes(static_cast<std::size_t>(std::ftell(file())), '\0');
    std::rewind(file());
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file()));
    return bytes;
}
