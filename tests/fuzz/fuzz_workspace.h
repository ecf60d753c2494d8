#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A private folder for one fuzzing process: inputs become files in it, and it goes away, with
// everything left in it, when the process ends normally.
class FuzzWorkspace {
public:
    FuzzWorkspace();
    ~FuzzWorkspace();
    FuzzWorkspace(const FuzzWorkspace&) = delete;
    FuzzWorkspace& operator=(const FuzzWorkspace&) = delete;

    const std::string& folder() const { return folder_; }
    std::string path(const std::string& name) const;
    // Writes the bytes to name in the folder and returns its path.
    std::string write(const std::string& name, const std::uint8_t* data, std::size_t size) const;
    void remove(const std::string& name) const;

private:
    std::string folder_;
};

// Stops the process so that the fuzzer keeps the input: a broken promise is a finding too.
[[noreturn]] void fuzzFinding(const char* what);
