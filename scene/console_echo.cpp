#include "scene/console_echo.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "scene/general_format.h"

char* formatNumber(char* first, char* last, float value) {
    // A whole number of at most six digits, common in scene files, is its digits under "%g" (the
    // sign of -0 included), and printing it as an int is several times faster.
    if (std::fabs(value) < 1e6f && static_cast<float>(static_cast<int>(value)) == value) {
        if (std::signbit(value)) *first++ = '-';
        return std::to_chars(first, last, std::abs(static_cast<int>(value))).ptr;
    }
    // Most other numbers of a scene take integer arithmetic, several times faster again.
    if (char* end = formatGeneralInRange(first, value)) return end;
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
