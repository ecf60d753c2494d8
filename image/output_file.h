#pragma once

#include <cstdio>
#include <string>

// The output name that stands for the standard output.
constexpr char kStandardOutputName[] = "-";

// The file a picture is written to. A regular file, or a name not taken yet, is written into a
// file without a name in the same folder, which is given one only once the picture is complete and
// then takes the output's, so a run that fails or is interrupted, even by SIGKILL, leaves the old
// file, or none. A file system that cannot make a file without a name gets a hidden temporary one
// instead (".out.tga.a1B2c3"). Anything else (a pipe, a terminal, a device, and "-" for the
// standard output) is written directly. A symbolic link stays: the file it leads to is replaced.
class OutputFile {
public:
    // Opens the output for writing; stream() is null when that fails, with errno telling why.
    explicit OutputFile(const std::string& name);
    // Discards a file that was not closed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* stream() const { return stream_; }
    // Flushes and closes the stream, then gives the file the output's name. False when a step
    // fails; the new file is then removed.
    bool close();
    // Closes the stream and removes the new file, if any.
    void discard();

private:
    bool nameUnnamedFile();
    void forgetTemporary();

    std::FILE* stream_ = nullptr;
    bool unnamed_ = false;   // the stream writes a file without a name, still to be linked
    std::string temporary_;  // the new file's hidden name, empty while it has none
    std::string target_;  // the name the new file takes; empty when the output is written directly
    bool guarded_ = false;  // the temporary name is removed if a signal ends the process
};
