#pragma once

#include <cstdio>
#include <string>

// The file a picture is written to. A regular file, or a name not taken yet, is written through a
// temporary file in the same folder that takes the name only once the picture is complete, so a
// run that fails or is interrupted leaves the old file, or none. Anything else (a pipe, a
// terminal, a device) is written directly. A symbolic link stays: the file it leads to is
// replaced.
class OutputFile {
public:
    // Opens the output for writing; stream() is null when that fails, with errno telling why.
    explicit OutputFile(const std::string& name);
    // Discards a file that was not closed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* stream() const { return stream_; }
    // Flushes and closes the stream, then gives the temporary file the output's name. False when a
    // step fails; the temporary file is then removed.
    bool close();
    // Closes the stream and removes the temporary file, if any.
    void discard();

private:
    void forgetTemporary();

    std::FILE* stream_ = nullptr;
    std::string temporary_;  // empty when the output is written directly
    std::string target_;     // the name the temporary file takes
    bool guarded_ = false;   // the temporary file is removed if a signal ends the process
};
