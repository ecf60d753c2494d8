#include "scene/console_echo.h"

#include <charconv>

char* formatNumber(char* first, char* last, float value) {
    // The general format with six significant digits is "%g" by definition, nan and inf
    // spellings included, without a trip through the locale and the format parser.
    return std::to_chars(first, last, static_cast<double>(value), std::chars_format::general, 6)
        .ptr;
}

ConsoleEcho::ConsoleEcho(std::FILE* console)
    : console_(console), buffer_(std::make_unique<char[]>(kBufferSize)) {}

void ConsoleEcho::appendAfterWriting(std::string_view text) {
    writeOut();
    if (text.size() > kBufferSize) {
        std::fwrite(text.data(), 1, text.size(), console_);
    } else {
        append(text);
    }
}

void ConsoleEcho::append(float value) {
    if (kMaxNumberText > kBufferSize - used_) writeOut();
    char* const first = buffer_.get() + used_;
    used_ += static_cast<std::size_t>(formatNumber(first, first + kMaxNumberText, value) - first);
}

void ConsoleEcho::writeOut() {
    // A line may be split between two writes: nothing else reaches the console in between.
    std::fwrite(buffer_.get(), 1, used_, console_);
    used_ = 0;
}

void ConsoleEcho::flush() {
    writeOut();
    std::fflush(console_);
}
