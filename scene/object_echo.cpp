#include "scene/object_echo.h"

void echoObject(ConsoleEcho& echo, ObjectKind kind, const float* v, std::string_view texture) {
    switch (kind) {
        case ObjectKind::Sphere:
            echo.line("Sphere: Center (", v[0], ",", v[1], ",", v[2], ") Radius (", v[3],
                      ") Color (", v[4], ",", v[5], ",", v[6], ") Reflectivity (", v[7],
                      ") Specularity (", v[8], ") TextureFile (", texture, ")");
            return;
        case ObjectKind::Cylinder:
            echo.line("Cylinder: Center (", v[0], ",", v[1], ",", v[2], ") Radius (", v[3],
                      ") Height (", v[4], ") Color (", v[5], ",", v[6], ",", v[7],
                      ") Reflectivity (", v[8], ") Specular (", v[9], ") TextureFile (", texture,
                      ")");
            return;
        case ObjectKind::Plane:
            echo.line("Plane: Equation (", v[0], ",", v[1], ",", v[2], ",", v[3], ") Color (", v[4],
                      ",", v[5], ",", v[6], ") Reflectivity (", v[7], ") Specular (", v[8],
                      ") TextureFile (", texture, ")");
            return;
        case ObjectKind::Light:
            echo.line("Light: Position (", v[0], ",", v[1], ",", v[2], ") Color (", v[3], ",", v[4],
                      ",", v[5], ")");
            return;
    }
}
