#include "scene/scene_reader.h"

#include <array>
#include <string>

#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

// Keywords and texture names are held in buffers of 256 characters.
constexpr std::size_t kMaxTokenLength = 255;

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A run of non-blank characters, read as "%s" reads it. A longer token than the buffers hold is
// consumed whole but kept only as its first kMaxTokenLength characters.
struct Token {
    std::string text;
    bool tooLong = false;

    bool is(const char* keyword) const { return !tooLong && text == keyword; }
    // The name to open as a texture; none when the token cannot name a file.
    const char* fileName() const {
        return tooLong || text.find('\0') != std::string::npos ? nullptr : text.c_str();
    }
};

Token readToken(std::FILE* file) {
    Token token;
    int c = std::fgetc(file);
    while (isBlank(c)) c = std::fgetc(file);
    while (c != EOF && !isBlank(c)) {
        if (token.text.size() < kMaxTokenLength) {
            token.text.push_back(static_cast<char>(c));
        } else {
            token.tooLong = true;
        }
        c = std::fgetc(file);
    }
    if (c != EOF) std::ungetc(c, file);
    return token;
}

// Reads count numbers as "%f" reads them. A number that does not read is 0, and leaves its token in
// place for the reads after it, as the format's reader does.
template <std::size_t count>
std::array<float, count> readNumbers(std::FILE* file) {
    std::array<float, count> values{};
    for (float& value : values) {
        if (std::fscanf(file, "%f", &value) != 1) value = 0.0f;
    }
    return values;
}

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string quoted(const char* prefix, const std::string& token) {
    return std::string(prefix) + '"' + token + '"';
}

std::string texturePart(const Token& texture) { return " TextureFile (" + texture.text + ")"; }

std::string materialPart(const char* specularLabel, float reflectivity, float specularity) {
    return " Reflectivity (" + number(reflectivity) + ") " + specularLabel + " (" +
           number(specularity) + ")";
}

std::string colorPart(float red, float green, float blue) {
    return " Color (" + number(red) + "," + number(green) + "," + number(blue) + ")";
}

std::string triple(float x, float y, float z) {
    return "(" + number(x) + "," + number(y) + "," + number(z) + ")";
}

}  // namespace

SceneReader::SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                         std::vector<Light>& lights, std::FILE* console)
    : console_(console) {
    sceneFile = std::fopen(fileName, "r");
    // A directory opens but cannot be read: it is refused like a missing file.
    if (sceneFile != nullptr) {
        const int first = std::fgetc(sceneFile);
        if (std::ferror(sceneFile)) {
            std::fclose(sceneFile);
            sceneFile = nullptr;
        } else if (first != EOF) {
            std::ungetc(first, sceneFile);
        }
    }
    if (sceneFile == nullptr) {
        writeLine(quoted("ERROR: Unable to open file ", fileName));
        return;
    }
    writeLine("-------------- Building Scene -------------");
    writeLine("Camera: Position (0,0,256)");
    readObjects(shapes, lights);
    std::fclose(sceneFile);
    sceneFile = nullptr;
}

void SceneReader::writeLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), console_);
    std::fputc('\n', console_);
    std::fflush(console_);
}

void SceneReader::readObjects(std::vector<std::unique_ptr<Shape>>& shapes,
                              std::vector<Light>& lights) {
    for (;;) {
        const Token keyword = readToken(sceneFile);
        // A keyword that runs into the end of the file is not processed; a read error ends the
        // file as well, or the loop would never see its end.
        if (std::feof(sceneFile) || std::ferror(sceneFile)) return;
        if (keyword.is("Sphere")) {
            const auto v = readNumbers<9>(sceneFile);
            const Token texture = readToken(sceneFile);
            writeLine("Sphere: Center " + triple(v[0], v[1], v[2]) + " Radius (" + number(v[3]) +
                      ")" + colorPart(v[4], v[5], v[6]) + materialPart("Specularity", v[7], v[8]) +
                      texturePart(texture));
            shapes.push_back(std::make_unique<Sphere>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                      v[7], v[8], texture.fileName()));
        } else if (keyword.is("Cylinder")) {
            const auto v = readNumbers<10>(sceneFile);
            const Token texture = readToken(sceneFile);
            writeLine("Cylinder: Center " + triple(v[0], v[1], v[2]) + " Radius (" + number(v[3]) +
                      ") Height (" + number(v[4]) + ")" + colorPart(v[5], v[6], v[7]) +
                      materialPart("Specular", v[8], v[9]) + texturePart(texture));
            shapes.push_back(std::make_unique<Cylinder>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                        v[7], v[8], v[9], texture.fileName()));
        } else if (keyword.is("Plane")) {
            const auto v = readNumbers<9>(sceneFile);
            const Token texture = readToken(sceneFile);
            writeLine("Plane: Equation (" + number(v[0]) + "," + number(v[1]) + "," + number(v[2]) +
                      "," + number(v[3]) + ")" + colorPart(v[4], v[5], v[6]) +
                      materialPart("Specular", v[7], v[8]) + texturePart(texture));
            shapes.push_back(std::make_unique<Plane>(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                                                     v[8], texture.fileName()));
        } else if (keyword.is("Light")) {
            const auto v = readNumbers<6>(sceneFile);
            writeLine("Light: Position " + triple(v[0], v[1], v[2]) + colorPart(v[3], v[4], v[5]));
            lights.emplace_back(v[0], v[1], v[2], v[3], v[4], v[5]);
        } else {
            writeLine(quoted("UNKNOWN PRIMITIVE: ", keyword.text));
        }
    }
}
