#include "scene/scene_reader.h"

#include <array>
#include <string>

#include "image/texture_cache.h"
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

void append(std::string& line, const char* text) { line += text; }

void append(std::string& line, const std::string& text) { line += text; }

void append(std::string& line, float value) {
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    line.append(text, static_cast<std::size_t>(length));
}

}  // namespace

template <typename... Pieces>
void SceneReader::writeLine(const Pieces&... pieces) {
    line_.clear();
    (append(line_, pieces), ...);
    line_ += '\n';
    std::fwrite(line_.data(), 1, line_.size(), console_);
}

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
        writeLine("ERROR: Unable to open file \"", fileName, "\"");
    } else {
        writeLine("-------------- Building Scene -------------");
        writeLine("Camera: Position (0,0,256)");
        readObjects(shapes, lights);
        complete = !std::ferror(sceneFile);
        if (!complete) writeLine("ERROR: Unable to read file \"", fileName, "\"");
        std::fclose(sceneFile);
        sceneFile = nullptr;
    }
    // Once for the whole echo: a flush per line costs a write per object. Nothing else reaches
    // the console or the error stream while the file is read.
    std::fflush(console_);
}

void SceneReader::readObjects(std::vector<std::unique_ptr<Shape>>& shapes,
                              std::vector<Light>& lights) {
    TextureCache textures;
    for (;;) {
        const Token keyword = readToken(sceneFile);
        // A keyword that runs into the end of the file is not processed; a read error ends the
        // file as well, or the loop would never see its end.
        if (std::feof(sceneFile) || std::ferror(sceneFile)) return;
        if (keyword.is("Sphere")) {
            const auto v = readNumbers<9>(sceneFile);
            const Token texture = readToken(sceneFile);
            writeLine("Sphere: Center (", v[0], ",", v[1], ",", v[2], ") Radius (", v[3],
                      ") Color (", v[4], ",", v[5], ",", v[6], ") Reflectivity (", v[7],
                      ") Specularity (", v[8], ") TextureFile (", texture.text, ")");
            shapes.push_back(std::make_unique<Sphere>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                      v[7], v[8],
                                                      textures.find(texture.fileName())));
        } else if (keyword.is("Cylinder")) {
            const auto v = readNumbers<10>(sceneFile);
            const Token texture = readToken(sceneFile);
            writeLine("Cylinder: Center (", v[0], ",", v[1], ",", v[2], ") Radius (", v[3],
                      ") Height (", v[4], ") Color (", v[5], ",", v[6], ",", v[7],
                      ") Reflectivity (", v[8], ") Specular (", v[9], ") TextureFile (",
                      texture.text, ")");
            shapes.push_back(std::make_unique<Cylinder>(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                        v[7], v[8], v[9],
                                                        textures.find(texture.fileName())));
        } else if (keyword.is("Plane")) {
            const auto v = readNumbers<9>(sceneFile);
            const Token texture = readToken(sceneFile);
            writeLine("Plane: Equation (", v[0], ",", v[1], ",", v[2], ",", v[3], ") Color (", v[4],
                      ",", v[5], ",", v[6], ") Reflectivity (", v[7], ") Specular (", v[8],
                      ") TextureFile (", texture.text, ")");
            shapes.push_back(std::make_unique<Plane>(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                                                     v[8], textures.find(texture.fileName())));
        } else if (keyword.is("Light")) {
            const auto v = readNumbers<6>(sceneFile);
            writeLine("Light: Position (", v[0], ",", v[1], ",", v[2], ") Color (", v[3], ",", v[4],
                      ",", v[5], ")");
            lights.emplace_back(v[0], v[1], v[2], v[3], v[4], v[5]);
        } else {
            writeLine("UNKNOWN PRIMITIVE: \"", keyword.text, "\"");
        }
    }
}
