#include "scene/scene_reader.h"

#include <array>
#include <optional>
#include <string_view>

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

}  // namespace

SceneReader::SceneReader(const char* fileName, std::vector<std::unique_ptr<Shape>>& shapes,
                         std::vector<Light>& lights, std::FILE* console) {
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
    } else {
        echo.line("-------------- Building Scene -------------");
        echo.line("Camera: Position (0,0,256)");
        readObjects(*input, echo, shapes, lights);
        complete = !std::ferror(sceneFile);
        if (!complete) echo.line("ERROR: Unable to read file \"", std::string_view(fileName), "\"");
        std::fclose(sceneFile);
        sceneFile = nullptr;
    }
    // Once for the whole echo: nothing else reaches the console or the error stream while the
    // file is read.
    echo.flush();
}

void SceneReader::readObjects(SceneInput& input, ConsoleEcho& echo,
                              std::vector<std::unique_ptr<Shape>>& shapes,
                              std::vector<Light>& lights) {
    TextureCache textures;
    SceneInput::Token keyword;
    SceneInput::Token texture;
    for (;;) {
        input.readToken(keyword);
        // A keyword that runs into the end of the file is not processed; a read error ends the
        // file as well, or the loop would never see its end.
        if (input.endSeen()) return;
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
