#include "support/stdio_scene_reader.h"

#include <array>
#include <memory>
#include <string>

#include "image/texture_cache.h"
#include "scene/light.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

constexpr std::size_t kMaxTokenLength = 255;

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

struct Token : StdioToken {
    bool is(const char* keyword) const { return !tooLong && text == keyword; }
    const char* fileName() const {
        return tooLong || text.find('\0') != std::string::npos ? nullptr : text.c_str();
    }
};

Token readToken(std::FILE* file) { return {readStdioToken(file)}; }

template <std::size_t count>
std::array<float, count> readNumbers(std::FILE* file) {
    std::array<float, count> values{};
    for (float& value : values) value = readStdioNumber(file);
    return values;
}

void append(std::string& line, const char* text) { line += text; }

void append(std::string& line, const std::string& text) { line += text; }

void append(std::string& line, float value) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    line.append(text, static_cast<std::size_t>(length));
}

template <typename... Pieces>
void writeLine(std::FILE* console, const Pieces&... pieces) {
    std::string line;
    (append(line, pieces), ...);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), console);
}

void readObjects(std::FILE* file, ShapeList& shapes, LightList& lights, std::FILE* console) {
    TextureCache textures;
    for (;;) {
        const Token keyword = readToken(file);
        if (std::feof(file) || std::ferror(file)) return;
        if (keyword.is("Sphere")) {
            const auto v = readNumbers<9>(file);
            const Token texture = readToken(file);
            writeLine(console, "Sphere: Center (", v[0], ",", v[1], ",", v[2], ") Radius (", v[3],
                      ") Color (", v[4], ",", v[5], ",", v[6], ") Reflectivity (", v[7],
                      ") Specularity (", v[8], ") TextureFile (", texture.text, ")");
            shapes.push_back(std::make_unique<Sphere>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                      v[7], v[8],
                                                      textures.find(texture.fileName())));
        } else if (keyword.is("Cylinder")) {
            const auto v = readNumbers<10>(file);
            const Token texture = readToken(file);
            writeLine(console, "Cylinder: Center (", v[0], ",", v[1], ",", v[2], ") Radius (", v[3],
                      ") Height (", v[4], ") Color (", v[5], ",", v[6], ",", v[7],
                      ") Reflectivity (", v[8], ") Specular (", v[9], ") TextureFile (",
                      texture.text, ")");
            shapes.push_back(std::make_unique<Cylinder>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                        v[7], v[8], v[9],
                                                        textures.find(texture.fileName())));
        } else if (keyword.is("Plane")) {
            const auto v = readNumbers<9>(file);
            const Token texture = readToken(file);
            writeLine(console, "Plane: Equation (", v[0], ",", v[1], ",", v[2], ",", v[3],
                      ") Color (", v[4], ",", v[5], ",", v[6], ") Reflectivity (", v[7],
                      ") Specular (", v[8], ") TextureFile (", texture.text, ")");
            shapes.push_back(std::make_unique<Plane>(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                                                     v[8], textures.find(texture.fileName())));
        } else if (keyword.is("Light")) {
            const auto v = readNumbers<6>(file);
            writeLine(console, "Light: Position (", v[0], ",", v[1], ",", v[2], ") Color (", v[3],
                      ",", v[4], ",", v[5], ")");
            lights.emplace_back(v[0], v[1], v[2], v[3], v[4], v[5]);
        } else {
            writeLine(console, "UNKNOWN PRIMITIVE: \"", keyword.text, "\"");
        }
    }
}

}  // namespace

StdioToken readStdioToken(std::FILE* file) {
    StdioToken token;
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

float readStdioNumber(std::FILE* file) {
    float value;
    return std::fscanf(file, "%f", &value) == 1 ? value : 0.0f;
}

void readSceneWithStdio(const char* fileName, ShapeList& shapes, LightList& lights,
                        std::FILE* console) {
    std::FILE* file = std::fopen(fileName, "r");
    if (file != nullptr) {
        const int first = std::fgetc(file);
        if (std::ferror(file)) {
            std::fclose(file);
            file = nullptr;
        } else if (first != EOF) {
            std::ungetc(first, file);
        }
    }
    if (file == nullptr) {
        writeLine(console, "ERROR: Unable to open file \"", fileName, "\"");
    } else {
        writeLine(console, "-------------- Building Scene -------------");
        writeLine(console, "Camera: Position (0,0,256)");
        readObjects(file, shapes, lights, console);
        std::fclose(file);
    }
    std::fflush(console);
}
