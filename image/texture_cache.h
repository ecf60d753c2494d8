#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "image/pcx_texture.h"

// The textures of one scene by file name: each name is tried once, and every shape naming it
// shares the one loaded picture.
class TextureCache {
public:
    // The texture in fileName, loaded on the first request; none when it does not load.
    std::shared_ptr<const PcxTexture> find(const char* fileName);

private:
    using Textures = std::unordered_map<std::string, std::shared_ptr<const PcxTexture>>;

    Textures textures_;  // none: failed
    // The last entry found: a scene names the same texture, or "none", object after object, and a
    // comparison is cheaper than hashing. Entries stay in place when the table grows.
    const Textures::value_type* last_ = nullptr;
};
