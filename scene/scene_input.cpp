#include "scene/scene_input.h"

#include <algorithm>
#include <cstring>

SceneInput::SceneInput(std::FILE* file, std::size_t blockSize)
    : file_(file),
      blockSize_(blockSize),
      buffer_(std::make_unique<char[]>(blockSize)),
      capacity_(blockSize) {
    // A directory opens but fails its first read.
    fill();
    unreadable_ = std::ferror(file_) != 0;
}

bool SceneInput::fill() {
    if (fileEnded_) return false;
    // Unread bytes are the start of a number cut by the end of the block: keep them in front.
    const std::size_t unread = end_ - next_;
    if (next_ > 0) {
        discarded_ += next_;
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
    const std::size_t wanted = std::min(capacity_ - end_, blockSize_);
    const std::size_t got = std::fread(buffer_.get() + end_, 1, wanted, file_);
    end_ += got;
    fileEnded_ = got < wanted;
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

void SceneInput::ensure(std::size_t count) {
    while (end_ - next_ < count && fill()) {
    }
}

float SceneInput::readNumberCarefully() {
    if (!skipBlanks()) return 0.0f;
    ensure(kLongestQuickNumber + 1);
    const char* const first = buffer_.get() + next_;
    const char* const limit = first + std::min(end_ - next_, kLongestQuickNumber + 1);
    // A token is whole when a blank ends it inside the window, or the end of the file does.
    const auto endsToken = [&](const char* last) {
        return last < limit ? isBlank(*last) : last == buffer_.get() + end_ && fileEnded_;
    };
    const auto take = [&](const char* last, float value) {
        next_ += static_cast<std::size_t>(last - first);
        // "%f" reading a number up to the end of the file meets that end.
        if (next_ == end_) endSeen_ = true;
        return value;
    };
    // A '+' that from_chars does not take, but not a second sign after it.
    const bool plus = *first == '+' && !(first + 1 < limit && first[1] == '-');
    float value;
    if (const char* const last = readPlainNumber(first + plus, limit, value)) {
        if (endsToken(last)) return take(last, value);
    }
    return readNumberWithStdio();
}

float SceneInput::readNumberWithStdio() {
    // "%f" reads only as far as it needs: a memory stream over the next bytes gives what the
    // file would as long as the read stays inside it, and is widened when the read runs into its
    // end before the file's. A long run of letters thus costs no more than a few bytes.
    for (std::size_t window = 2 * (kLongestQuickNumber + 1);; window *= 2) {
        ensure(window);
        const std::size_t size = std::min(window, end_ - next_);
        const bool toFileEnd = size == end_ - next_ && fileEnded_;
        std::FILE* const text = fmemopen(buffer_.get() + next_, size, "r");
        if (text == nullptr) return 0.0f;
        float value = 0.0f;
        const bool read = std::fscanf(text, "%f", &value) == 1;
        const long used = std::ftell(text);
        const bool ranOut = std::feof(text) != 0;
        std::fclose(text);
        if (ranOut && !toFileEnd) continue;
        endSeen_ = endSeen_ || ranOut;
        if (used > 0) next_ += static_cast<std::size_t>(used);
        return read ? value : 0.0f;
    }
}
