#include "support/stdio_scene_reader.h"

#include <memory>

#include "image/texture_cache.h"
#include "scene/light.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"

namespace {

bool isBlank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The texture file that a token names: a cut name, or one holding a NUL, names none.
const char* fileName(const StdioToken& token) {
    return token.tooLong || token.text.find('\0') != std::string::npos ? nullptr
                                                                       : token.text.c_str();
}

// The end of an echo line: a token's bytes as read, NULs included.
void endWith(std::FILE* console, const std::string& text, const char* after) {
    std::fwrite(text.data(), 1, text.size(), console);
    std::fputs(after, console);
}

void readObjects(std::FILE* file, ShapeList& shapes, LightList& lights, std::FILE* console) {
    TextureCache textures;
    for (;;) {
        const StdioToken keyword = readStdioToken(file);
        if (std::feof(file) || std::ferror(file)) return;
        const std::string word = keyword.tooLong ? "" : keyword.text;
        const int count = word == "Sphere" || word == "Plane" ? 9
                          : word == "Cylinder"                ? 10
                          : word == "Light"                   ? 6
                                                              : 0;
        float v[10];
        for (int i = 0; i < count; ++i) v[i] = readStdioNumber(file);
        if (word == "Sphere") {
            const StdioToken texture = readStdioToken(file);
            std::fprintf(console,
                         "Sphere: Center (%g,%g,%g) Radius (%g) Color (%g,%g,%g) Reflectivity (%g) "
                         "Specularity (%g) TextureFile (",
                         v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
            endWith(console, texture.text, ")\n");
            shapes.push_back(std::make_unique<Sphere>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                      v[7], v[8],
                                                      textures.find(fileName(texture))));
        } else if (word == "Cylinder") {
            const StdioToken texture = readStdioToken(file);
            std::fprintf(console,
                         "Cylinder: Center (%g,%g,%g) Radius (%g) Height (%g) Color (%g,%g,%g) "
                         "Reflectivity (%g) Specular (%g) TextureFile (",
                         v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
            endWith(console, texture.text, ")\n");
            shapes.push_back(std::make_unique<Cylinder>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                        v[7], v[8], v[9],
                                                        textures.find(fileName(texture))));
        } else if (word == "Plane") {
            const StdioToken texture = readStdioToken(file);
            std::fprintf(console,
                         "Plane: Equation (%g,%g,%g,%g) Color (%g,%g,%g) Reflectivity (%g) "
                         "Specular (%g) TextureFile (",
                         v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
            endWith(console, texture.text, ")\n");
            shapes.push_back(std::make_unique<Plane>(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                                                     v[8], textures.find(fileName(texture))));
        } else if (word == "Light") {
            std::fprintf(console, "Light: Position (%g,%g,%g) Color (%g,%g,%g)\n", v[0], v[1], v[2],
                         v[3], v[4], v[5]);
            lights.emplace_back(v[0], v[1], v[2], v[3], v[4], v[5]);
        } else {
            std::fputs("UNKNOWN PRIMITIVE: \"", console);
            endWith(console, keyword.text, "\"\n");
        }
    }
}

}  // namespace

StdioToken readStdioToken(std::FILE* file) {
    StdioToken token;
    int c = std::fgetc(file);
    while (isBlank(c)) c = std::fgetc(file);
    for (; c != EOF && !isBlank(c); c = std::fgetc(file)) {
        if (token.text.size() < 255) {
            token.text.push_back(static_cast<char>(c));
        } else {
            token.tooLong = true;
        }
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
    // A folder opens, but its first read fails.
    std::FILE* file = std::fopen(fileName, "r");
    if (file != nullptr && (std::ungetc(std::fgetc(file), file), std::ferror(file))) {
        std::fclose(file);
        file = nullptr;
    }
    if (file == nullptr) {
        std::fprintf(console, "ERROR: Unable to open file \"%s\"\n", fileName);
        return;
    }
    std::fputs("-------------- Building Scene -------------\nCamera: Position (0,0,256)\n",
               console);
    readObjects(file, shapes, lights, console);
    std::fclose(file);
}
