#include "scene/scene_checker.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

#include "image/pcx_texture.h"
#include "scene/close_match.h"
#include "scene/object_echo.h"
#include "scene/scene_input.h"

namespace {

using Severity = Diagnostic::Severity;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A keyword or a file name further than this from every candidate is no slip of the keyboard.
constexpr std::size_t kMostEdits = 2;
// Bounds the search for a close file name in a folder of any size.
constexpr std::size_t kMostFolderEntries = 4096;
// Words are quoted in messages up to this length; file names whole.
constexpr std::size_t kLongestQuotedWord = 40;

// White space as the scene reader skips it.
constexpr const char* kBlanks = " \t\n\v\f\r";
bool isBlank(char c) { return c != '\0' && std::strchr(kBlanks, c) != nullptr; }

// The word as a message shows it: on one line, printable, and not too long to read.
std::string inQuotes(std::string_view word, std::size_t longest = kLongestQuotedWord) {
    std::string shown;
    for (const char c : word.substr(0, longest)) {
        const auto code = static_cast<unsigned char>(c);
        shown += code < ' ' || code == 0x7F ? '?' : c;
    }
    if (word.size() > longest) shown += "...";
    return "'" + shown + "'";
}

// Whether the whole word is a number a render reads.
bool isNumber(std::string_view word) {
    if (word.empty()) return false;
    const std::string text(word);
    char* end = nullptr;
    std::strtof(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

bool endsWithPcx(std::string_view name) {
    constexpr std::string_view kExtension = ".pcx";
    if (name.size() < kExtension.size()) return false;
    const std::string_view end = name.substr(name.size() - kExtension.size());
    return std::equal(end.begin(), end.end(), kExtension.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

std::string counted(int count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string numberText(float value) {
    char text[kMaxNumberText];
    return std::string(text, formatNumber(text, text + sizeof text, value));
}

std::string keywordList() {
    std::string list;
    for (const ObjectFormat& format : kObjectFormats) {
        list += (list.empty()                       ? ""
                 : format.kind == ObjectKind::Light ? " or "
                                                    : ", ") +
                std::string(format.keyword);
    }
    return list;
}

// "centre x, centre y, ..., specular exponent": what an object's numbers are, in order.
std::string numberNames(const ObjectFormat& format) {
    std::string names;
    for (std::size_t i = 0; i < format.numberCount; ++i) {
        names += (i > 0 ? ", " : "") + std::string(format.numberNames[i]);
    }
    return names;
}

std::string echoLine(const CheckedObject& object) {
    char* text = nullptr;
    std::size_t size = 0;
    {
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(open_memstream(&text, &size),
                                                                     std::fclose);
        if (stream == nullptr) return {};
        ConsoleEcho echo(stream.get());
        echoObject(echo, object.kind, object.numbers.data(), object.texture);
        echo.flush();
    }
    const std::unique_ptr<char, void (*)(void*)> owned(text, std::free);
    return std::string(text, size - 1);  // without the line end that every echo has
}

// Why the texture a name leads to cannot be shown, as a message; empty when it can.
std::string textureProblem(const std::string& name) {
    PcxTexture texture;
    const PcxProblem problem = texture.loadOrExplain(name.c_str());
    const std::string file = "the texture " + inQuotes(name, SceneInput::kMaxTokenLength);
    switch (problem) {
        case PcxProblem::None:
            return {};
        case PcxProblem::Missing:
            return file + " does not exist";
        case PcxProblem::NotRegularFile:
            return file + " is not a regular file";
        case PcxProblem::Unreadable:
            return file + " cannot be opened: " + std::strerror(errno);
        case PcxProblem::NotPcx:
            return file + " is not a PCX picture";
        case PcxProblem::NotVersion5:
            return file +
                   " is not a version 5 PCX picture, the only kind with a 256-colour palette";
        case PcxProblem::NotEightBitsOnePlane:
            return file + " is not 8 bits per pixel in one plane, the only kind that can be used";
        case PcxProblem::EmptyWindow:
            return file + " has an empty picture window";
        case PcxProblem::TooLarge:
            return file + " has more pixels than a texture may have";
        case PcxProblem::CutShort:
            return file + " is cut short: too short for its pixels and its palette";
        case PcxProblem::NoPalette:
            return file + " has no 256-colour palette at its end; it may be cut short";
    }
    return {};
}

// A name in path's folder one slip of the keyboard away from path's own name.
std::string closeFileName(const std::string& path) {
    const std::filesystem::path name(path);
    const std::filesystem::path folder = name.has_parent_path() ? name.parent_path() : ".";
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end;
         !error && entry != end && names.size() < kMostFolderEntries; entry.increment(error)) {
        names.push_back(entry->path().filename().string());
    }
    const std::string close = closestMatch(name.filename().string(), names, kMostEdits);
    return close.empty() ? close : (folder / close).lexically_normal().string();
}

class Checker {
public:
    Checker(std::string_view text, std::string sceneFolder)
        : text_(text), sceneFolder_(std::move(sceneFolder)) {
        lineStarts_.push_back(0);
        for (std::size_t at = 0; at < text_.size(); ++at) {
            if (text_[at] == '\n') lineStarts_.push_back(at + 1);
        }
    }

    SceneCheck run() {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(
            fmemopen(text_.data(), text_.size(), "r"), std::fclose);
        if (stream == nullptr) {
            report(Severity::Error, std::nullopt, "the scene cannot be read into memory");
            return finish();
        }
        SceneInput input(stream.get());
        SceneInput::Token word;
        for (;;) {
            input.skipBlanks();
            const std::size_t start = input.offset();
            input.readToken(word);
            const ObjectFormat* format = word.tooLong ? nullptr : objectFormatOf(word.text);
            if (input.endSeen()) {
                // A render stops at the file's end, even in the middle of a last keyword.
                if (format != nullptr) {
                    report(Severity::Error, start,
                           "the file ends right after this " + std::string(format->keyword) +
                               "'s keyword, which a render then skips");
                } else if (!word.text.empty()) {
                    notKeyword(start, word);
                }
                break;
            }
            if (format == nullptr) {
                notKeyword(start, word);
                continue;
            }
            endUnknownRun();
            readObject(*format, start, input);
        }
        endUnknownRun();
        checkLighting();
        return finish();
    }

private:
    struct Line {
        std::optional<std::size_t> offset;  // none for the whole file
        Diagnostic diagnostic;
    };
    // Tokens in a row that are no keyword: one finding for them all.
    struct UnknownRun {
        std::size_t offset;
        std::string first;
        bool firstTooLong;
        int count;      // 0 while there is no run
        bool leftOver;  // right after an object that was misread, as part of it
    };

    void report(Severity severity, std::optional<std::size_t> offset, std::string message) {
        int line = 0;
        int column = 0;
        if (offset) {
            const auto start =
                std::upper_bound(lineStarts_.begin(), lineStarts_.end(), *offset) - 1;
            line = static_cast<int>(start - lineStarts_.begin()) + 1;
            column = static_cast<int>(*offset - *start) + 1;
        }
        if (severity == Severity::Error) ++result_.errors;
        if (severity == Severity::Warning) ++result_.warnings;
        // Notes sort with the finding they explain.
        const std::optional<std::size_t> sortOffset =
            severity == Severity::Note && !lines_.empty() ? lines_.back().offset : offset;
        lines_.push_back({sortOffset, {severity, line, column, std::move(message)}});
    }

    SceneCheck finish() {
        // Findings made at the end about earlier objects go in their place; whole-file ones last.
        std::stable_sort(lines_.begin(), lines_.end(), [](const Line& a, const Line& b) {
            return a.offset.value_or(SIZE_MAX) < b.offset.value_or(SIZE_MAX);
        });
        for (Line& line : lines_) result_.diagnostics.push_back(std::move(line.diagnostic));
        return std::move(result_);
    }

    // Where a finding about the end of the file shows: just after its last word.
    std::size_t endOfWords() const {
        const std::size_t last = text_.find_last_not_of(kBlanks);
        return last == std::string::npos ? 0 : last + 1;
    }

    std::string_view wordAt(std::size_t offset) const {
        std::size_t end = offset;
        while (end < text_.size() && !isBlank(text_[end])) ++end;
        return std::string_view(text_).substr(offset, end - offset);
    }

    void notKeyword(std::size_t offset, const SceneInput::Token& word) {
        // A word that begins a line is a mistake of its own.
        const bool ownMistake = beginsLine(offset) && !isNumber(word.text);
        if (unknown_.count > 0 && !ownMistake) {
            ++unknown_.count;
            return;
        }
        endUnknownRun();
        unknown_ = {offset, word.text, word.tooLong, 1, afterMisread_ && !ownMistake};
        afterMisread_ = false;
    }

    // Whether only blanks stand between the start of its line and offset; a line that holds none
    // begins after the file's start.
    bool beginsLine(std::size_t offset) const {
        const std::size_t lineStart = offset == 0 ? 0 : text_.rfind('\n', offset - 1) + 1;
        return text_.find_first_not_of(kBlanks, lineStart) >= offset;
    }

    void endUnknownRun() {
        if (unknown_.count == 0) return;
        const std::string& first = unknown_.first;
        if (unknown_.leftOver) {
            report(Severity::Note, unknown_.offset,
                   "a render then reads " + inQuotes(first) +
                       (unknown_.count > 1
                            ? " and the " + counted(unknown_.count - 1, "word") + " after it"
                            : std::string()) +
                       " as keywords, printing an UNKNOWN PRIMITIVE line for each");
            unknown_ = {};
            return;
        }
        std::string message;
        if (unknown_.firstTooLong) {
            message = "a word longer than 255 characters stands where a keyword belongs";
        } else if (unknown_.offset == 0 && first.rfind(kByteOrderMark, 0) == 0) {
            message =
                "the file begins with a byte-order mark, which a render reads as part of the "
                "first word: save the file without it";
        } else if (first[0] == '#') {
            message =
                "'#' does not begin a comment: scene files have none, and a render reads every "
                "word as a keyword or a number";
        } else if (isNumber(first)) {
            message = "the number " + inQuotes(first) + " stands where a keyword belongs";
            if (lastObject_) message += " (has the object before it a number too many?)";
        } else {
            std::vector<std::string> keywords;
            for (const ObjectFormat& format : kObjectFormats) keywords.emplace_back(format.keyword);
            const std::string close = closestMatch(first, keywords, kMostEdits);
            message = inQuotes(first) + " is not a keyword" +
                      (close.empty() ? ": objects begin with " + keywordList()
                                     : "; did you mean '" + close + "'?");
        }
        report(Severity::Error, unknown_.offset, message);
        if (unknown_.count > 1) {
            report(Severity::Note, unknown_.offset,
                   "a render skips it and the " + counted(unknown_.count - 1, "word") +
                       " after it, up to the next keyword, printing an UNKNOWN PRIMITIVE line "
                       "for each");
        }
        unknown_ = {};
    }

    // What becomes of the rest of a word that ends number index of an object.
    static std::string nextField(const ObjectFormat& format, std::size_t index) {
        if (index + 1 < format.numberCount) {
            return "its " + std::string(format.numberNames[index + 1]);
        }
        return format.textured ? "its texture name" : "the next keyword";
    }

    void readObject(const ObjectFormat& format, std::size_t start, SceneInput& input) {
        CheckedObject object{format.kind, {}, {}};
        const std::string self = "this " + std::string(format.keyword);
        const std::size_t firstLine = lines_.size();
        bool misread = false;
        for (std::size_t i = 0; i < format.numberCount; ++i) {
            const bool more = input.skipBlanks();
            const std::size_t at = input.offset();
            object.numbers[i] = input.readNumber();
            if (misread) continue;
            const std::string field = "the " + std::string(format.numberNames[i]) + " of " + self;
            const std::string_view word = wordAt(at);
            const std::size_t used = input.offset() - at;
            misread = !more || used != word.size();
            if (!more) {
                report(Severity::Error, endOfWords(),
                       "the file ends inside " + self + ": its " +
                           std::string(format.numberNames[i]) + " and what follows are missing");
            } else if (!misread) {
                checkValue(format, i, object.numbers[i], field, at, word);
            } else if (used == 0 && objectFormatOf(word) != nullptr) {
                report(Severity::Error, at,
                       self + " has only " + std::to_string(i) + " of its " +
                           std::to_string(format.numberCount) + " numbers: the keyword " +
                           inQuotes(word) + " stands where its " +
                           std::string(format.numberNames[i]) + " belongs");
                report(Severity::Note, at,
                       "a render reads the missing numbers as 0" +
                           (format.textured
                                ? " and takes " + inQuotes(word) +
                                      " as the texture name, losing that " + std::string(word)
                                : std::string()));
            } else if (isNumber(word.substr(0, used))) {
                report(Severity::Error, at,
                       inQuotes(word) + " is not a number: a render reads " +
                           inQuotes(word.substr(0, used)) + " as " + field + " and " +
                           inQuotes(word.substr(used)) + " as " + nextField(format, i));
            } else {
                report(Severity::Error, at,
                       "expected a number for " + field + ", found " + inQuotes(word));
                report(Severity::Note, start,
                       "a " + std::string(format.keyword) + " takes " +
                           std::to_string(format.numberCount) + " numbers (" + numberNames(format) +
                           ")" + (format.textured ? " and a texture name" : ""));
            }
        }
        if (format.textured) {
            const bool more = input.skipBlanks();
            const std::size_t at = input.offset();
            SceneInput::Token texture;
            input.readToken(texture);
            object.texture = texture.text;
            if (!misread) misread = !checkTexture(format, at, more, texture);
        }
        if (misread) {
            dropWarningsSince(firstLine);
            report(Severity::Note, start, "a render reads it as: " + echoLine(object));
        } else if (format.kind == ObjectKind::Plane) {
            planes_.push_back({start, object.numbers});
        }
        if (format.kind == ObjectKind::Light) lights_.push_back(object.numbers);
        result_.objects.push_back(std::move(object));
        lastObject_ = start;
        afterMisread_ = misread;
    }

    // The values of a misread object are not what its author wrote: what they look like is no
    // finding of its own.
    void dropWarningsSince(std::size_t firstLine) {
        const auto warning = [](const Line& line) {
            return line.diagnostic.severity == Severity::Warning;
        };
        const auto from = lines_.begin() + static_cast<std::ptrdiff_t>(firstLine);
        result_.warnings -= static_cast<int>(std::count_if(from, lines_.end(), warning));
        lines_.erase(std::remove_if(from, lines_.end(), warning), lines_.end());
    }

    void checkValue(const ObjectFormat& format, std::size_t index, float value,
                    const std::string& field, std::size_t at, std::string_view word) {
        const std::string is = field + " is " + numberText(value);
        if (!std::isfinite(value)) {
            report(Severity::Warning, at, field + " is not a finite number: " + inQuotes(word));
            return;
        }
        const bool solid = format.kind == ObjectKind::Sphere || format.kind == ObjectKind::Cylinder;
        const std::size_t radius = 3;
        const std::size_t height = 4;
        if (solid && index == radius && value <= 0) {
            report(Severity::Warning, at,
                   is + (value == 0 ? ": a render never shows it"
                                    : ": a render draws it as if it were " + numberText(-value)));
        } else if (format.kind == ObjectKind::Cylinder && index == height && value <= 0) {
            report(Severity::Warning, at,
                   is + (value == 0 ? ": a render never shows it"
                                    : ": its top lies below its bottom, and a render never shows "
                                      "it"));
        }
        // A shape's colour and reflectivity come last but for the specular exponent.
        const std::size_t colour = format.numberCount - 5;
        if (format.textured && index >= colour && index < format.numberCount - 1 &&
            (value < 0 || value > 1)) {
            report(Severity::Warning, at, is + ", outside 0 to 1");
        }
    }

    // False when the token cannot be what its author meant, with the finding reported.
    bool checkTexture(const ObjectFormat& format, std::size_t at, bool more,
                      const SceneInput::Token& texture) {
        const std::string self = "this " + std::string(format.keyword);
        if (!more) {
            report(Severity::Error, endOfWords(),
                   "the file ends before the texture name of " + self +
                       " (a shape without a texture ends with a word such as none)");
            return false;
        }
        if (texture.tooLong) {
            report(Severity::Error, at,
                   "a word longer than 255 characters stands where the texture name of " + self +
                       " belongs");
            return false;
        }
        const std::string& name = texture.text;
        // A name with a NUL in it names no file: a render leaves the shape plain.
        if (name.find('\0') != std::string::npos) return true;
        const std::string& problem = textureProblemOf(name);
        if (problem.empty()) return true;
        if (objectFormatOf(name) != nullptr) {
            report(Severity::Error, at,
                   "the keyword " + inQuotes(name) + " stands where the texture name of " + self +
                       " belongs: a render takes it as the texture name, losing that " + name);
            return false;
        }
        if (isNumber(name)) {
            report(Severity::Error, at,
                   "the number " + inQuotes(name) + " stands where the texture name of " + self +
                       " belongs (has it a number too many?)");
            return false;
        }
        std::error_code error;
        const bool looksLikeFile = endsWithPcx(name) || name.find('/') != std::string::npos ||
                                   std::filesystem::exists(name, error);
        if (!looksLikeFile) return true;
        report(Severity::Error, at,
               problem + (format.kind == ObjectKind::Plane
                              ? std::string()
                              : ", so " + self + " shows its plain colour"));
        if (problem.find("does not exist") == std::string::npos) return true;
        const std::string close = closeFileName(name);
        if (!close.empty()) {
            report(Severity::Note, at,
                   "did you mean " + inQuotes(close, SceneInput::kMaxTokenLength) + "?");
        }
        const std::filesystem::path besideScene = std::filesystem::path(sceneFolder_) / name;
        std::string where = "texture names are read from the working folder, " +
                            std::filesystem::current_path(error).string();
        if (sceneFolder_ != "." && std::filesystem::exists(besideScene, error)) {
            where += "; " + inQuotes(besideScene.string(), SceneInput::kMaxTokenLength) +
                     " exists: run the render from the scene's folder";
        }
        report(Severity::Note, at, where);
        return true;
    }

    // Each name is tried once: a scene names the same texture, or none, object after object.
    const std::string& textureProblemOf(const std::string& name) {
        const auto known = textureProblems_.find(name);
        if (known != textureProblems_.end()) return known->second;
        return textureProblems_.emplace(name, textureProblem(name)).first->second;
    }

    void checkLighting() {
        if (lights_.empty()) {
            report(Severity::Warning, std::nullopt,
                   "the scene has no Light: every shape renders black");
        }
        for (const auto& [offset, numbers] : planes_) {
            const std::array<float, kMostNumbers>& plane = numbers;
            const auto side = [&](const std::array<float, kMostNumbers>& light) {
                return double{plane[0]} * light[0] + double{plane[1]} * light[1] +
                       double{plane[2]} * light[2] + plane[3];
            };
            if (plane[0] == 0 && plane[1] == 0 && plane[2] == 0) {
                report(Severity::Warning, offset,
                       "the normal (a, b, c) of this Plane is zero: a render never shows it");
            } else if (!lights_.empty() &&
                       std::all_of(lights_.begin(), lights_.end(),
                                   [&](const auto& light) { return side(light) < 0; })) {
                report(Severity::Warning, offset,
                       "every Light lies on the side this Plane's normal points away from "
                       "(a x + b y + c z + d < 0 at each), so it renders black; negate its four "
                       "coefficients to turn it round");
            }
        }
    }

    std::string text_;
    std::string sceneFolder_;
    std::vector<std::size_t> lineStarts_;  // offsets at which lines begin
    std::vector<Line> lines_;
    SceneCheck result_;
    UnknownRun unknown_{};
    std::optional<std::size_t> lastObject_;
    bool afterMisread_ = false;  // the last object was misread
    std::vector<std::pair<std::size_t, std::array<float, kMostNumbers>>> planes_;
    std::vector<std::array<float, kMostNumbers>> lights_;
    std::map<std::string, std::string> textureProblems_;
};

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Note:
            return "note";
    }
    return "";
}

void printCheck(const char* fileName, const SceneCheck& check, std::FILE* out) {
    for (const Diagnostic& diagnostic : check.diagnostics) {
        std::string where = fileName;
        if (diagnostic.line > 0) {
            where +=
                ":" + std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column);
        }
        std::fprintf(out, "%s: %s: %s\n", where.c_str(), severityName(diagnostic.severity),
                     diagnostic.message.c_str());
    }
    std::fprintf(out, "%s, %s in %s\n", counted(check.errors, "error").c_str(),
                 counted(check.warnings, "warning").c_str(), fileName);
}

// The whole file, or none with errno telling why.
std::optional<std::string> readScene(const char* fileName) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName, "r"), std::fclose);
    if (file == nullptr) return std::nullopt;
    std::string text;
    char block[64 * 1024];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) text.append(block, got);
    if (std::ferror(file.get())) return std::nullopt;
    return text;
}

}  // namespace

SceneCheck checkScene(std::string_view text, const std::string& sceneFolder) {
    return Checker(text, sceneFolder).run();
}

int checkSceneFiles(int count, const char* const fileNames[], std::FILE* out) {
    int status = 0;
    for (int file = 0; file < count; ++file) {
        const char* const name = fileNames[file];
        const std::optional<std::string> text = readScene(name);
        SceneCheck check;
        if (text) {
            const std::filesystem::path folder = std::filesystem::path(name).parent_path();
            check = checkScene(*text, folder.empty() ? "." : folder.string());
        } else {
            check.diagnostics.push_back(
                {Severity::Error, 0, 0,
                 std::string("cannot read the scene: ") + std::strerror(errno)});
            check.errors = 1;
        }
        printCheck(name, check, out);
        if (check.errors > 0) status = 1;
    }
    std::fflush(out);
    return status;
}
