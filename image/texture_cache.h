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
    std::unordered_map<std::string, std::shared_ptr<const PcxTexture>> textures_;  // none: failed
};
