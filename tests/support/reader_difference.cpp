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

// Every object read, one line each: its kind and its fields as bit patterns.
struct Loaded {
    std::string console;
    std::string objects;

    template <typename Read>
    explicit Loaded(Read read) {
        ShapeList shapes;
        LightList lights;
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* stream = open_memstream(&text, &size);
        if (stream == nullptr) std::abort();
        read(shapes, lights, stream);
        std::fclose(stream);
        console.assign(text, size);
        std::free(text);

        std::ostringstream out;
        out << std::hex;
        const auto put = [&](std::initializer_list<float> values) {
            for (float value : values) out << ' ' << bits(value);
        };
        for (const auto& shape : shapes) {
            if (const auto* s = dynamic_cast<const Sphere*>(shape.get())) {
                out << "sphere";
                put({s->center.x, s->center.y, s->center.z, s->radius});
            } else if (const auto* c = dynamic_cast<const Cylinder*>(shape.get())) {
                out << "cylinder";
                put({c->center.x, c->center.y, c->center.z, c->radius, c->height});
            } else if (const auto* p = dynamic_cast<const Plane*>(shape.get())) {
                out << "plane";
                put({p->a, p->b, p->c, p->d});
            }
            put({shape->red, shape->green, shape->blue, shape->reflectivity, shape->specularity});
            out << " texture " << shape->textured << ' ' << shape->halfWidth << ' '
                << shape->halfHeight;
            if (shape->texture)
                out << ' ' << shape->texture->width << 'x' << shape->texture->height;
            out << '\n';
        }
        for (const Light& light : lights) {
            out << "light";
            put({light.position.x, light.position.y, light.position.z, light.color.red,
                 light.color.green, light.color.blue});
            out << '\n';
        }
        objects = out.str();
    }
};

// Where two texts part, with a little of each from there on.
std::string difference(const char* what, const std::string& got, const std::string& expected) {
    if (got == expected) return "";
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return std::string(what) + " differ at byte " + std::to_string(at) + ": \"" +
           got.substr(at, 60) + "\" instead of \"" + expected.substr(at, 60) + "\"";
}

}  // namespace

std::string readerDifference(const std::string& path) {
    const Loaded blocks([&](ShapeList& shapes, LightList& lights, std::FILE* console) {
        SceneReader(path.c_str(), shapes, lights, console);
    });
    const Loaded stdio([&](ShapeList& shapes, LightList& lights, std::FILE* console) {
        readSceneWithStdio(path.c_str(), shapes, lights, console);
    });
    const std::string console = difference("console texts", blocks.console, stdio.console);
    return console.empty() ? difference("objects", blocks.objects, stdio.objects) : console;
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
                got << "token \"" << token.text << '"' << token.tooLong;
                expected << "token \"" << stdioToken.text << '"' << stdioToken.tooLong;
            } else {
                got << "number " << std::hex << bits(input.readNumber());
                expected << "number " << std::hex << bits(readStdioNumber(stdioFile));
            }
            got << " end " << input.endSeen() << '\n';
            expected << " end " << (std::feof(stdioFile) != 0) << '\n';
            afterEnd += input.endSeen();
        }
    }
    std::fclose(blockFile);
    std::fclose(stdioFile);
    return difference("reads", got.str(), expected.str());
}
