#include "scene/scene_input.h"

#include <charconv>
#include <cstring>

namespace {

// White space as "%s" and "%f" skip it in the C locale.
bool isBlank(char c) { return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t'; }

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

}  // namespace

SceneInput::SceneInput(std::FILE* file, std::size_t blockSize)
    : file_(file), buffer_(std::make_unique<char[]>(blockSize)), capacity_(blockSize) {
    // A directory opens but fails its first read.
    fill();
    unreadable_ = std::ferror(file_) != 0;
}

bool SceneInput::fill() {
    if (fileEnded_) return false;
    // The unread bytes, if any, are the start of a number that the block cut: keep them in front.
    const std::size_t unread = end_ - next_;
    if (next_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + next_, unread);
        next_ = 0;
        end_ = unread;
    }
    if (end_ == capacity_) {
        auto larger = std::make_unique<char[]>(2 * capacity_);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        capacity_ *= 2;
    }
    // fread waits for the whole block or the end, so a short count means the end (or an error,
    // which the stream's own end-of-file test would not tell apart either).
    const std::size_t got = std::fread(buffer_.get() + end_, 1, capacity_ - end_, file_);
    end_ += got;
    fileEnded_ = got < capacity_ - (end_ - got);
    return got > 0;
}

bool SceneInput::skipBlanks() {
    for (;;) {
        const char* const data = buffer_.get();
        while (next_ < end_ && isBlank(data[next_])) ++next_;
        if (next_ < end_) return true;
        if (!fill()) {
            endSeen_ = true;
            return false;
        }
    }
}

void SceneInput::readToken(Token& token) {
    token.text.clear();
    token.tooLong = false;
    if (!skipBlanks()) return;
    for (;;) {
        const char* const data = buffer_.get();
        std::size_t stop = next_;
        while (stop < end_ && !isBlank(data[stop])) ++stop;
        const std::size_t room = kMaxTokenLength - token.text.size();
        if (stop - next_ > room) {
            token.text.append(data + next_, room);
            token.tooLong = true;
        } else {
            token.text.append(data + next_, stop - next_);
        }
        next_ = stop;
        // The blank after the token stays unread, as the reads after "%s" find it.
        if (next_ < end_) return;
        if (!fill()) {
            endSeen_ = true;
            return;
        }
    }
}

std::size_t SceneInput::tokenEnd() {
    std::size_t stop = next_;
    for (;;) {
        const char* const data = buffer_.get();
        while (stop < end_ && !isBlank(data[stop])) ++stop;
        if (stop < end_) return stop;
        // fill() moves the unread bytes to the front of the buffer.
        const std::size_t scanned = stop - next_;
        if (!fill()) return end_;
        stop = next_ + scanned;
    }
}

float SceneInput::readNumber() {
    if (!skipBlanks()) return 0.0f;
    const std::size_t end = tokenEnd();
    const char* const first = buffer_.get() + next_;
    const char* const last = buffer_.get() + end;
    // The common spelling: an optional sign, digits with an optional fraction and exponent, the
    // whole token. from_chars rounds it as strtof does but takes no '+' and no out-of-range
    // value, and it reads nan and inf spellings that "%f" reads differently at times.
    const char* const body = first + (*first == '+' || *first == '-');
    if (body < last && (isDigit(*body) || *body == '.')) {
        float value;
        const auto [stop, error] = std::from_chars(first + (*first == '+'), last, value);
        if (error == std::errc() && stop == last) {
            next_ = end;
            // "%f" reading a number up to the end of the file meets that end.
            if (end == end_) endSeen_ = true;
            return value;
        }
    }
    return readNumberWithStdio(end);
}

float SceneInput::readNumberWithStdio(std::size_t end) {
    // "%f" never reads past the first blank after the token, and it stops at the end of the
    // memory stream only where the file itself ends.
    const std::size_t window = end - next_ + (end < end_ ? 1 : 0);
    std::FILE* const text = fmemopen(buffer_.get() + next_, window, "r");
    if (text == nullptr) return 0.0f;
    float value = 0.0f;
    const bool read = std::fscanf(text, "%f", &value) == 1;
    const long used = std::ftell(text);
    if (std::feof(text)) endSeen_ = true;
    std::fclose(text);
    if (used > 0) next_ += static_cast<std::size_t>(used);
    return read ? value : 0.0f;
}
