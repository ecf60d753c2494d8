#include "image/texture_cache.h"

std::shared_ptr<const PcxTexture> TextureCache::find(const char* fileName) {
    if (fileName == nullptr) return nullptr;
    const auto [entry, added] = textures_.try_emplace(fileName);
    if (added) entry->second = loadPcxTexture(fileName);
    return entry->second;
}
