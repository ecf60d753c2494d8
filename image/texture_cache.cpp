#include "image/texture_cache.h"

std::shared_ptr<const PcxTexture> TextureCache::find(const char* fileName) {
    if (fileName == nullptr) return nullptr;
    if (last_ != nullptr && last_->first == fileName) return last_->second;
    const auto [entry, added] = textures_.try_emplace(fileName);
    if (added) entry->second = loadPcxTexture(fileName);
    last_ = &*entry;
    return entry->second;
}
