#include "scene/framebuffer.h"

#include <cstdint>
#include <limits>
#include <new>

namespace {

// The Targa header holds each side in 16 bits; a larger picture could not be written.
constexpr int kMaxSide = 65535;

}  // namespace

Framebuffer::Framebuffer(int width, int height) : width_(width) {
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return;
    const std::uint64_t floats =
        std::uint64_t{3} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (floats > std::numeric_limits<std::size_t>::max() / sizeof(float)) return;
    // Not cleared: every pixel of a row is traced before the row is written.
    pixels_.reset(new (std::nothrow) float[static_cast<std::size_t>(floats)]);
}
