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

std::uint32_t bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// What a reader wrote to the console, then every object read, one line each: its kind and its
// fields as bit patterns.
template <typename Reader>
std::string load(Reader read, const std::string& path) {
    ShapeList shapes;
    LightList lights;
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* console = open_memstream(&text, &size);
    if (console == nullptr) std::abort();
    read(path.c_str(), shapes, lights, console);
    std::fclose(console);
    std::ostringstream out;
    out << std::string(text, size) << "\nobjects\n" << std::hex;
    std::free(text);
    const auto put = [&](std::initializer_list<float> values) {
        for (float value : values) out << ' ' << bits(value);
    };
    for (const auto& shape : shapes) {
        if (const auto* s = dynamic_cast<const Sphere*>(shape.get())) {
            out << 's';
            put({s->center.x, s->center.y, s->center.z, s->radius});
        } else if (const auto* c = dynamic_cast<const Cylinder*>(shape.get())) {
            out << 'c';
            put({c->center.x, c->center.y, c->center.z, c->radius, c->height});
        } else if (const auto* p = dynamic_cast<const Plane*>(shape.get())) {
            out << 'p';
            put({p->a, p->b, p->c, p->d});
        }
        put({shape->red, shape->green, shape->blue, shape->reflectivity, shape->specularity});
        out << ' ' << shape->textured << ' ' << shape->halfWidth << ' ' << shape->halfHeight << ' '
            << (shape->texture ? shape->texture->width * 65536 + shape->texture->height : -1)
            << '\n';
    }
    for (const Light& light : lights) {
        put({light.position.x, light.position.y, light.position.z, light.color.red,
             light.color.green, light.color.blue});
        out << '\n';
    }
    return out.str();
}

// Where two texts part, with a little of each from there on.
std::string difference(const std::string& got, const std::string& expected) {
    if (got == expected) return "";
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return "differ at byte " + std::to_string(at) + ": \"" + got.substr(at, 60) +
           "\" instead of \"" + expected.substr(at, 60) + "\"";
}

}  // namespace

std::string readerDifference(const std::string& path) {
    const auto blocks = [](const char* name, ShapeList& shapes, LightList& lights,
                           std::FILE* console) { SceneReader(name, shapes, lights, console); };
    return difference(load(blocks, path), load(readSceneWithStdio, path));
}

std::string inputDifference(const std::string& path, std::size_t blockSize, std::uint32_t seed) {
    std::FILE* const blockFile = std::fopen(path.c_str(), "r");
    std::FILE* const stdioFile = std::fopen(path.c_str(), "r");
    if (blockFile == nullptr || stdioFile == nullptr) std::abort();
    std::ostringstream got;
    std::ostringstream expected;
    {
        SceneInput input(blockFile, blockSize);
        SceneInput::Token token;
        std::minstd_rand random(seed);
        // On past the end as well: the reads there must keep meeting it.
        for (int afterEnd = 0; afterEnd < 3 && got.str() == expected.str();) {
            if (random() % 3 == 0) {
                input.readToken(token);
                const StdioToken stdioToken = readStdioToken(stdioFile);
                got << '"' << token.text << '"' << token.tooLong;
                expected << '"' << stdioToken.text << '"' << stdioToken.tooLong;
            } else {
                got << std::hex << bits(input.readNumber());
                expected << std::hex << bits(readStdioNumber(stdioFile));
            }
            got << " end " << input.endSeen() << '\n';
            expected << " end " << (std::feof(stdioFile) != 0) << '\n';
            afterEnd += input.endSeen();
        }
    }
    std::fclose(blockFile);
    std::fclose(stdioFile);
    return difference(got.str(), expected.str());
}
