#include "support/reader_difference.h"

#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>

#include "scene/scene_input.h"
#include "scene/scene_reader.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/stdio_scene_reader.h"

namespace {

struct Loaded {
    ShapeList shapes;
    LightList lights;
    std::string console;
};

template <typename Read>
Loaded load(Read read) {
    Loaded loaded;
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* console = open_memstream(&text, &size);
    if (console == nullptr) std::abort();
    read(loaded, console);
    std::fclose(console);
    loaded.console.assign(text, size);
    std::free(text);
    return loaded;
}

std::uint32_t bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The fields of one object as bit patterns, in a fixed order, with its kind in front.
std::string fields(const Shape& shape) {
    std::ostringstream out;
    out << std::hex;
    const auto put = [&](std::initializer_list<float> values) {
        for (float value : values) out << ' ' << bits(value);
    };
    if (const auto* sphere = dynamic_cast<const Sphere*>(&shape)) {
        out << "sphere";
        put({sphere->center.x, sphere->center.y, sphere->center.z, sphere->radius});
    } else if (const auto* cylinder = dynamic_cast<const Cylinder*>(&shape)) {
        out << "cylinder";
        put({cylinder->center.x, cylinder->center.y, cylinder->center.z, cylinder->radius,
             cylinder->height});
    } else if (const auto* plane = dynamic_cast<const Plane*>(&shape)) {
        out << "plane";
        put({plane->a, plane->b, plane->c, plane->d});
    }
    put({shape.red, shape.green, shape.blue, shape.reflectivity, shape.specularity});
    out << " textured " << shape.textured << ' ' << shape.halfWidth << ' ' << shape.halfHeight;
    if (shape.texture) out << ' ' << shape.texture->width << 'x' << shape.texture->height;
    return out.str();
}

std::string fields(const std::unique_ptr<Shape>& shape) { return fields(*shape); }

std::string fields(const Light& light) {
    std::ostringstream out;
    out << std::hex << "light";
    for (float value : {light.position.x, light.position.y, light.position.z, light.color.red,
                        light.color.green, light.color.blue}) {
        out << ' ' << bits(value);
    }
    return out.str();
}

template <typename Objects>
std::string objectDifference(const char* kind, const Objects& blocks, const Objects& stdio) {
    if (blocks.size() != stdio.size()) {
        return std::string(kind) + " count " + std::to_string(blocks.size()) + " instead of " +
               std::to_string(stdio.size());
    }
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::string got = fields(blocks[i]);
        const std::string expected = fields(stdio[i]);
        if (got != expected) {
            return std::string(kind) + " " + std::to_string(i) + ": " + got + " instead of " +
                   expected;
        }
    }
    return "";
}

// Where two texts part, with a little of each from there on.
std::string textDifference(const std::string& got, const std::string& expected) {
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return "console differs at byte " + std::to_string(at) + ": \"" + got.substr(at, 60) +
           "\" instead of \"" + expected.substr(at, 60) + "\"";
}

}  // namespace

std::string readerDifference(const std::string& path) {
    const Loaded blocks = load([&](Loaded& loaded, std::FILE* console) {
        SceneReader(path.c_str(), loaded.shapes, loaded.lights, console);
    });
    const Loaded stdio = load([&](Loaded& loaded, std::FILE* console) {
        readSceneWithStdio(path.c_str(), loaded.shapes, loaded.lights, console);
    });
    if (blocks.console != stdio.console) return textDifference(blocks.console, stdio.console);
    const std::string shapes = objectDifference("shape", blocks.shapes, stdio.shapes);
    return shapes.empty() ? objectDifference("light", blocks.lights, stdio.lights) : shapes;
}

std::string inputDifference(const std::string& path, std::size_t blockSize, std::uint32_t seed) {
    std::FILE* const blockFile = std::fopen(path.c_str(), "r");
    std::FILE* const stdioFile = std::fopen(path.c_str(), "r");
    if (blockFile == nullptr || stdioFile == nullptr) std::abort();
    std::string difference;
    {
        SceneInput input(blockFile, blockSize);
        SceneInput::Token token;
        std::minstd_rand random(seed);
        // Past the end as well: the reads there must keep meeting it.
        for (int read = 0; difference.empty() && read < 3; read += input.endSeen()) {
            std::ostringstream got;
            std::ostringstream expected;
            if (random() % 3 == 0) {
                input.readToken(token);
                const StdioToken stdioToken = readStdioToken(stdioFile);
                got << "token \"" << token.text << '"' << token.tooLong;
                expected << "token \"" << stdioToken.text << '"' << stdioToken.tooLong;
            } else {
                got << "number " << std::hex << bits(input.readNumber());
                expected << "number " << std::hex << bits(readStdioNumber(stdioFile));
            }
            got << " end " << input.endSeen();
            expected << " end " << (std::feof(stdioFile) != 0);
            if (got.str() != expected.str())
                difference = got.str() + " instead of " + expected.str();
        }
    }
    std::fclose(blockFile);
    std::fclose(stdioFile);
    return difference;
}
