// Bytes as a scene file, read by the block reader, whole and in two halves, and by the stdio loader
// it replaced, kept as the yardstick: console bytes, objects and reads with small blocks must come
// out the same. The
// checker reads them too, into the render's objects whenever it finds no error.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "fuzz/fuzz_finding.h"
#include "render/tracer.h"
#include "scene/scene_checker.h"
#include "scene/scene_input.h"
#include "scene/scene_reader.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/temp_file.h"

namespace {

// Each float's bit pattern after a blank.
std::string bits(std::initializer_list<float> values) {
    std::string text;
    for (const float value : values) {
        std::uint32_t word;
        std::memcpy(&word, &value, sizeof word);
        text += ' ' + std::to_string(word);
    }
    return text;
}

// The first 255 characters of the next token, read with fgetc.
SceneInput::Token readStdioToken(std::FILE* file) {
    SceneInput::Token token;
    int c = std::fgetc(file);
    while (std::isspace(c)) c = std::fgetc(file);
    for (; c != EOF && !std::isspace(c); c = std::fgetc(file)) {
        // Any character after the 255th makes it too long.
        token.tooLong = token.text.size() == 255;
        if (!token.tooLong) token.text.push_back(static_cast<char>(c));
    }
    if (c != EOF) std::ungetc(c, file);
    return token;
}

float readStdioNumber(std::FILE* file) {
    float value;
    return std::fscanf(file, "%f", &value) == 1 ? value : 0.0f;
}

// What each keyword echoes, with a "%g" for each number after it. A shape's texture name
// follows its numbers and ends its echo.
const char* const kEchoes[] = {
    "Sphere: Center (%g,%g,%g) Radius (%g) Color (%g,%g,%g) Reflectivity (%g) Specularity (%g) "
    "TextureFile (",
    "Cylinder: Center (%g,%g,%g) Radius (%g) Height (%g) Color (%g,%g,%g) Reflectivity (%g) "
    "Specular (%g) TextureFile (",
    "Plane: Equation (%g,%g,%g,%g) Color (%g,%g,%g) Reflectivity (%g) Specular (%g) TextureFile (",
    "Light: Position (%g,%g,%g) Color (%g,%g,%g)\n",
};

// The scene loader as first written: its console bytes, then its objects as dump() lists them.
std::string readWithStdio(const char* fileName) {
    std::FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) std::abort();
    std::string console =
        "-------------- Building Scene -------------\nCamera: Position (0,0,256)\n";
    std::string shapes, lights;
    for (;;) {
        const SceneInput::Token word = readStdioToken(file);
        if (std::feof(file) || std::ferror(file)) break;
        const auto echo = std::find_if(std::begin(kEchoes), std::end(kEchoes), [&](auto format) {
            return !word.tooLong &&
                   std::string_view(format).substr(0, word.text.size() + 1) == word.text + ':';
        });
        // Tokens are echoed as read, NULs included.
        if (echo == std::end(kEchoes)) {
            console += "UNKNOWN PRIMITIVE: \"" + word.text + "\"\n";
            continue;
        }
        const std::string_view format = *echo;
        const bool light = format.back() == '\n';
        std::string& objects = light ? lights : shapes;
        objects += format[0];
        float v[10] = {};
        for (int i = 0; i < std::count(format.begin(), format.end(), '%'); ++i) {
            v[i] = readStdioNumber(file);
            objects += bits({v[i]});
        }
        char line[512];
        console.append(line, static_cast<std::size_t>(std::snprintf(line, sizeof line, *echo, v[0],
                                                                    v[1], v[2], v[3], v[4], v[5],
                                                                    v[6], v[7], v[8], v[9])));
        if (!light) console += readStdioToken(file).text + ")\n";
        objects += '\n';
    }
    std::fclose(file);
    return console + '\n' + shapes + lights;
}

// Shapes, then lights: a kind letter and the numbers in file order as bit patterns.
std::string dump(const ShapeList& shapes, const LightList& lights) {
    std::string out;
    for (const auto& shape : shapes) {
        if (const auto* s = dynamic_cast<const Sphere*>(shape.get())) {
            out += 'S' + bits({s->center.x, s->center.y, s->center.z, s->radius});
        } else if (const auto* c = dynamic_cast<const Cylinder*>(shape.get())) {
            out += 'C' + bits({c->center.x, c->center.y, c->center.z, c->radius, c->height});
        } else if (const auto* p = dynamic_cast<const Plane*>(shape.get())) {
            out += 'P' + bits({p->a, p->b, p->c, p->d});
        }
        out +=
            bits({shape->red, shape->green, shape->blue, shape->reflectivity, shape->specularity}) +
            '\n';
    }
    for (const Light& light : lights) {
        out += 'L' +
               bits({light.position.x, light.position.y, light.position.z, light.color.red,
                     light.color.green, light.color.blue}) +
               '\n';
    }
    return out;
}

// The checker's objects as dump() lists the render's.
std::string dump(const std::vector<CheckedObject>& objects) {
    std::string shapes, lights;
    for (const CheckedObject& object : objects) {
        const ObjectFormat& format = kObjectFormats[static_cast<std::size_t>(object.kind)];
        std::string& out = format.textured ? shapes : lights;
        out += format.keyword[0];
        for (std::size_t i = 0; i < format.numberCount; ++i) out += bits({object.numbers[i]});
        out += '\n';
    }
    return shapes + lights;
}

// A finding unless the texts agree, shown where they part.
void expectSame(const std::string& got, const std::string& expected) {
    if (got == expected) return;
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    std::fprintf(stderr, "differ at byte %zu: \"%s\" instead of \"%s\"\n", at,
                 got.substr(at, 60).c_str(), expected.substr(at, 60).c_str());
    fuzzFinding("the block reader differs from the stdio reader");
}

// A sequence of token and number reads drawn from seed, through SceneInput with blocks of
// blockSize bytes and with stdio: what each gives and whether it met the end of the file.
void expectSameReads(const std::string& path, std::size_t blockSize, std::uint32_t seed) {
    std::FILE* const blockFile = std::fopen(path.c_str(), "r");
    std::FILE* const stdioFile = std::fopen(path.c_str(), "r");
    if (blockFile == nullptr || stdioFile == nullptr) std::abort();
    SceneInput input(blockFile, blockSize);
    SceneInput::Token token;
    std::minstd_rand random(seed);
    std::string got, expected;
    // On past the end as well: the reads there must keep meeting it.
    for (int afterEnd = 0; afterEnd < 3 && got == expected; afterEnd += input.endSeen()) {
        if (random() % 3 == 0) {
            input.readToken(token);
            const SceneInput::Token stdioToken = readStdioToken(stdioFile);
            got += '"' + token.text + '"' + std::to_string(token.tooLong);
            expected += '"' + stdioToken.text + '"' + std::to_string(stdioToken.tooLong);
        } else {
            got += bits({input.readNumber()});
            expected += bits({readStdioNumber(stdioFile)});
        }
        got += " end " + std::to_string(input.endSeen()) + '\n';
        expected += " end " + std::to_string(std::feof(stdioFile) != 0) + '\n';
    }
    std::fclose(blockFile);
    std::fclose(stdioFile);
    expectSame(got, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempDir workspace;
    const std::string path =
        workspace.write("scene.ray", std::string(reinterpret_cast<const char*>(data), size));
    ShapeList shapes;
    LightList lights;
    CapturedStream console;
    SceneReader(path.c_str(), shapes, lights, console.file());
    const std::string expected = readWithStdio(path.c_str());
    expectSame(console.text() + '\n' + dump(shapes, lights), expected);
    {
        // In two halves at once, wherever the second may start.
        ShapeList halvesShapes;
        LightList halvesLights;
        CapturedStream halvesConsole;
        SceneReader(path.c_str(), halvesShapes, halvesLights, halvesConsole.file(), 0);
        expectSame(halvesConsole.text() + '\n' + dump(halvesShapes, halvesLights), expected);
    }
    const SceneCheck check =
        checkScene(std::string_view(reinterpret_cast<const char*>(data), size));
    if (check.errors == 0) expectSame(dump(check.objects), dump(shapes, lights));
    // Small blocks, so that tokens and numbers meet block edges everywhere.
    for (const std::size_t blockSize : {1 + size % 7, 64 + size % 300})
        expectSameReads(path, blockSize, static_cast<std::uint32_t>(size));
    return 0;
}
