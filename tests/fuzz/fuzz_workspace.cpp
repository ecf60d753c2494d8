#include "fuzz_workspace.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

FuzzWorkspace::FuzzWorkspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) fuzzFinding("no temporary folder");
    folder_ = pattern;
}

FuzzWorkspace::~FuzzWorkspace() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string FuzzWorkspace::path(const std::string& name) const { return folder_ + "/" + name; }

std::string FuzzWorkspace::write(const std::string& name, const std::uint8_t* data,
                                 std::size_t size) const {
    const std::string file = path(name);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) fuzzFinding("cannot create an input file");
    const bool written = std::fwrite(data, 1, size, out) == size;
    if (std::fclose(out) != 0 || !written) fuzzFinding("cannot write an input file");
    return file;
}

void FuzzWorkspace::remove(const std::string& name) const { std::remove(path(name).c_str()); }

void fuzzFinding(const char* what) {
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::abort();
}
