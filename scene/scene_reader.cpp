#include "scene/scene_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "image/texture_cache.h"
#include "scene/console_echo.h"
#include "scene/object_echo.h"
#include "scene/scene_input.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

// Reads count numbers. A number that does not read is 0, and leaves its token in place for the
// reads after it.
template <std::size_t count>
std::array<float, count> readNumbers(SceneInput& input) {
    std::array<float, count> values;
    for (float& value : values) value = input.readNumber();
    return values;
}

std::string_view text(const SceneInput::Token& token) { return token.text; }

// Reads objects to the end of the file, or to stopAt where an object starts there: true then.
bool readObjects(SceneInput& input, ConsoleEcho& echo, TextureCache& textures,
                 std::vector<std::unique_ptr<Shape>>& shapes, std::vector<Light>& lights,
                 std::size_t stopAt = SceneReader::kWhole) {
    SceneInput::Token keyword;
    SceneInput::Token texture;
    for (;;) {
        if (stopAt != SceneReader::kWhole && input.skipBlanks() && input.offset() == stopAt) {
            return true;
        }
        input.readToken(keyword);
        // A keyword that runs into the end of the file is not processed; a read error ends the
        // file as well, or the loop would never see its end.
        if (input.endSeen()) return false;
        if (keyword.is("Sphere")) {
            const auto v = readNumbers<9>(input);
            input.readToken(texture);
            echoObject(echo, ObjectKind::Sphere, v.data(), text(texture));
            shapes.push_back(std::make_unique<Sphere>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                      v[7], v[8],
                                                      textures.find(texture.fileName())));
        } else if (keyword.is("Cylinder")) {
            const auto v = readNumbers<10>(input);
            input.readToken(texture);
            echoObject(echo, ObjectKind::Cylinder, v.data(), text(texture));
            shapes.push_back(std::make_unique<Cylinder>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                        v[7], v[8], v[9],
                                                        textures.find(texture.fileName())));
        } else if (keyword.is("Plane")) {
            const auto v = readNumbers<9>(input);
            input.readToken(texture);
            echoObject(echo, ObjectKind::Plane, v.data(), text(texture));
            shapes.push_back(std::make_unique<Plane>(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                                                     v[8], textures.find(texture.fileName())));
        } else if (keyword.is("Light")) {
            const auto v = readNumbers<6>(input);
            echoObject(echo, ObjectKind::Light, v.data(), {});
            lights.emplace_back(v[0], v[1], v[2], v[3], v[4], v[5]);
        } else {
            echo.line("UNKNOWN PRIMITIVE: \"", text(keyword), "\"");
        }
    }
}

// Where the second half of a file of size bytes may start: the first keyword that begins a line
// after three fifths of it, since keeping its echo in memory makes the second half the slower to
// read; kWhole when none does within a block.
std::size_t secondHalfStart(int descriptor, std::size_t size) {
    constexpr std::size_t kLookAhead = 64 * 1024;
    std::string buffer(kLookAhead, '\0');
    const std::size_t middle = size / 5 * 3;
    const ssize_t got = pread(descriptor, buffer.data(), buffer.size(), static_cast<off_t>(middle));
    if (got <= 0) return SceneReader::kWhole;
    const std::string_view block(buffer.data(), static_cast<std::size_t>(got));
    for (std::size_t line = block.find('\n'); line != std::string_view::npos;
         line = block.find('\n', line + 1)) {
        const auto start = block.begin() + static_cast<std::ptrdiff_t>(line + 1);
        const auto end = std::find_if(start, block.end(), SceneInput::isBlank);
        if (end != block.end() &&
            objectFormatOf(std::string_view(&*start, end - start)) != nullptr) {
            return middle + line + 1;
        }
    }
    return SceneReader::kWhole;
}

// The objects from start to the end of a scene file, read on a thread of its own, with their
// echo in memory.
class SecondHalf {
public:
    std::vector<std::unique_ptr<Shape>> shapes;
    std::vector<Light> lights;

    // Opens the file first reads once more, whatever its name names by now, at start.
    SecondHalf(std::FILE* first, std::size_t start) {
        file_ = std::fopen(("/proc/self/fd/" + std::to_string(fileno(first))).c_str(), "r");
        if (file_ == nullptr || std::fseek(file_, static_cast<long>(start), SEEK_SET) != 0) return;
        try {
            thread_ = std::thread([this] { read(); });
        } catch (const std::system_error&) {
            // Read as one file.
        }
    }
    ~SecondHalf() {
        if (thread_.joinable()) thread_.join();
        if (file_ != nullptr) std::fclose(file_);
        std::free(echo_);
    }
    SecondHalf(const SecondHalf&) = delete;
    SecondHalf& operator=(const SecondHalf&) = delete;

    // Waits for the reading; true when it read its part to the end without an error, and the
    // echo, shapes and lights are complete.
    bool finish() {
        if (!thread_.joinable()) return false;
        thread_.join();
        return complete_;
    }
    std::string_view echo() const { return {echo_, echoSize_}; }

private:
    void read() {
        std::FILE* memory = open_memstream(&echo_, &echoSize_);
        if (memory == nullptr) return;
        {
            ConsoleEcho echo(memory);
            SceneInput input(file_);
            TextureCache textures;
            readObjects(input, echo, textures, shapes, lights);
            echo.flush();
            complete_ = !input.unreadable() && !std::ferror(file_) && !std::ferror(memory);
        }
        // Flushed already: the echo is whole, and closing only lets go of the stream.
        std::fclose(memory);
    }

    std::FILE* file_ = nullptr;
    char* echo_ = nullptr;
    std::size_t echoSize_ = 0;
    bool complete_ = false;
    std::thread thread_;
};

}  // namespace

SceneReader::SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                         std::vector<Light>& lights, std::FILE* console,
                         std::size_t smallestSplit) {
    ConsoleEcho echo(console);
    sceneFile = std::fopen(fileName, "r");
    std::optional<SceneInput> input;
    if (sceneFile != nullptr) {
        input.emplace(sceneFile);
        // A directory opens but cannot be read: it is refused like a missing file.
        if (input->unreadable()) {
            std::fclose(sceneFile);
            sceneFile = nullptr;
        }
    }
    if (sceneFile == nullptr) {
        echo.line("ERROR: Unable to open file \"", std::string_view(fileName), "\"");
        echo.flush();
        return;
    }
    echo.line("-------------- Building Scene -------------");
    echo.line("Camera: Position (0,0,256)");
    struct stat file;
    std::size_t start = kWhole;
    if (fstat(fileno(sceneFile), &file) == 0 && S_ISREG(file.st_mode) &&
        static_cast<std::size_t>(file.st_size) >= smallestSplit &&
        static_cast<std::size_t>(file.st_size) <= kLargestSplit) {
        start = secondHalfStart(fileno(sceneFile), static_cast<std::size_t>(file.st_size));
    }
    std::optional<SecondHalf> secondHalf;
    if (start != kWhole) secondHalf.emplace(sceneFile, start);
    TextureCache textures;
    if (readObjects(*input, echo, textures, shapes, lights, start)) {
        if (secondHalf->finish()) {
            echo.flush();
            std::fwrite(secondHalf->echo().data(), 1, secondHalf->echo().size(), console);
            shapes.insert(shapes.end(), std::make_move_iterator(secondHalf->shapes.begin()),
                          std::make_move_iterator(secondHalf->shapes.end()));
            lights.insert(lights.end(), secondHalf->lights.begin(), secondHalf->lights.end());
        } else {
            readObjects(*input, echo, textures, shapes, lights);
        }
    }
    secondHalf.reset();
    complete = !std::ferror(sceneFile);
    if (!complete) echo.line("ERROR: Unable to read file \"", std::string_view(fileName), "\"");
    std::fclose(sceneFile);
    sceneFile = nullptr;
    // Once for the whole echo: nothing else reaches the console or the error stream while the
    // file is read.
    echo.flush();
}
