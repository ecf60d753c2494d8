#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

// Console text collected into large writes: a write per line would cost a call per object.
// Nothing reaches the console until the buffer fills or flush() is called.
class ConsoleEcho {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;

    explicit ConsoleEcho(std::FILE* console);
    ConsoleEcho(const ConsoleEcho&) = delete;
    ConsoleEcho& operator=(const ConsoleEcho&) = delete;

    // Appends the pieces and a line end: texts as they stand, numbers as "%g" prints them.
    template <typename... Pieces>
    void line(const Pieces&... pieces) {
        (append(pieces), ...);
        append(std::string_view("\n"));
    }
    // Writes out everything collected and flushes the console.
    void flush();

private:
    // Inline, so that a literal piece becomes a copy of known length.
    void append(std::string_view text) {
        if (text.size() > kBufferSize - used_) return appendAfterWriting(text);
        std::memcpy(buffer_.get() + used_, text.data(), text.size());
        used_ += text.size();
    }
    void append(float value);
    void appendAfterWriting(std::string_view text);
    void writeOut();

    std::FILE* console_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

// Room enough for any float in "%g" form: "-3.40282e+38" and "-1.4013e-45" are the longest.
constexpr std::size_t kMaxNumberText = 16;

// Writes value widened to double as "%g" prints it, into first..last, which must hold
// kMaxNumberText characters; returns the end of the text.
char* formatNumber(char* first, char* last, float value);
