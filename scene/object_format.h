#pragma once

#include <array>
#include <cstddef>
#include <string_view>

enum class ObjectKind { Sphere, Cylinder, Plane, Light };

// The most numbers any object takes: a cylinder's ten.
constexpr std::size_t kMostNumbers = 10;

// What a keyword of a scene file introduces: the numbers that follow it, named as a sentence
// names them ("the radius of this Sphere"), and whether a texture token ends it.
struct ObjectFormat {
    ObjectKind kind;
    std::string_view keyword;
    std::size_t numberCount;
    std::array<std::string_view, kMostNumbers> numberNames;
    bool textured;
};

// Every keyword's format, in the order of ObjectKind.
extern const std::array<ObjectFormat, 4> kObjectFormats;

// The format keyword introduces; null for any other token.
const ObjectFormat* objectFormatOf(std::string_view keyword);
