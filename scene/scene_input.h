#pragma once

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// The text of an open scene file, read in large blocks: tokens as "%s" reads them, numbers as
// "%f" reads them, and the end-of-file state as those reads would leave the stream.
class SceneInput {
public:
    // Keywords and texture names are held in buffers of 256 characters.
    static constexpr std::size_t kMaxTokenLength = 255;
    // Bytes asked of the file at a time: big enough that reading costs few calls, small enough
    // to stay in the cache while it is parsed.
    static constexpr std::size_t kBlockSize = 64 * 1024;

    // A run of non-blank characters. A longer token than the buffers hold is consumed whole but
    // kept only as its first kMaxTokenLength characters.
    struct Token {
        std::string text;
        bool tooLong = false;

        // A view, so that a literal keyword is compared by its known length.
        bool is(std::string_view keyword) const {
            return !tooLong && std::string_view(text) == keyword;
        }
        // The name to open as a texture; none when the token cannot name a file.
        const char* fileName() const {
            return tooLong || text.find('\0') != std::string::npos ? nullptr : text.c_str();
        }
    };

    // White space as "%s" and "%f" skip it in the C locale. Most characters are above the blank,
    // and one comparison tells them.
    static bool isBlank(char c) {
        const auto code = static_cast<unsigned char>(c);
        return code <= ' ' &&
               (code == ' ' || static_cast<unsigned char>(code - '\t') <= '\r' - '\t');
    }

    // Reads the first block of file, which stays open and owned by the caller.
    explicit SceneInput(std::FILE* file, std::size_t blockSize = kBlockSize);
    SceneInput(const SceneInput&) = delete;
    SceneInput& operator=(const SceneInput&) = delete;

    // Whether the file could not be read at all, as a directory cannot.
    bool unreadable() const { return unreadable_; }
    // Whether a read has met the end of the file (or a read error, which ends it as well).
    bool endSeen() const { return endSeen_; }

    // Skips white space as every read does first; false, with the end seen, when the file ends.
    bool skipBlanks();
    // Where the next unread byte lies, counted from the start of the file.
    std::size_t offset() const { return discarded_ + next_; }

    // Reads the next token into token, reusing its storage.
    void readToken(Token& token);
    // The next number; 0 when none reads, the offending characters then staying in place for the
    // next read unless "%f" consumes them.
    float readNumber() {
        // Inline for the common case, a plain number after at most one blank, with all of the
        // window readNumberCarefully would look at already read.
        if (end_ - next_ > kLongestQuickNumber + 2) {
            const char* const data = buffer_.get();
            const char* const first = data + next_ + (data[next_] == ' ');
            float value;
            const char* const last = readPlainNumber(first, first + kLongestQuickNumber + 1, value);
            if (last != nullptr && isBlank(*last)) {
                next_ = static_cast<std::size_t>(last - data);
                return value;
            }
        }
        return readNumberCarefully();
    }

private:
    // The number at first, before last, in its plain spelling: an optional '-', digits with an
    // optional fraction and exponent. from_chars rounds it as strtof does; it takes no '+', nor a
    // value out of the float range, and reads nan and inf spellings that "%f" reads differently
    // at times, all of which are left to "%f" itself. The end of the number, or null.
    static const char* readPlainNumber(const char* first, const char* last, float& value) {
        const char* const body = first + (*first == '-');
        if (body == last || !(static_cast<unsigned char>(*body - '0') <= 9 || *body == '.')) {
            return nullptr;
        }
        const auto [end, error] = std::from_chars(first, last, value);
        return error == std::errc() ? end : nullptr;
    }
    // readNumber for every case: blanks and numbers across blocks, the end of the file, and the
    // spellings readPlainNumber leaves alone.
    float readNumberCarefully();
    // Appends the next bytes of the file after the unread ones; false when none came.
    bool fill();
    // Fills until count bytes are unread, or the file ends.
    void ensure(std::size_t count);
    // The number at next_ read by "%f" itself from a memory stream over the next bytes: the
    // spellings and the malformed numbers the quick path leaves alone.
    float readNumberWithStdio();

    // Longest token taken by the quick path; a longer one is left to "%f".
    static constexpr std::size_t kLongestQuickNumber = 128;

    std::FILE* file_;
    std::size_t blockSize_;  // bytes asked of the file at a time
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;       // a block, more only when a number needs more
    std::size_t next_ = 0;       // first unread byte
    std::size_t discarded_ = 0;  // bytes of the file read and dropped from the buffer's front
    std::size_t end_ = 0;        // end of the bytes read
    bool fileEnded_ = false;     // the file has nothing more to give
    bool endSeen_ = false;
    bool unreadable_ = false;
};
