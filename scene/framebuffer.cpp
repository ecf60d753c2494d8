#include "scene/framebuffer.h"

#include <cstdint>
#include <limits>
#include <new>

#include "image/tga_writer.h"

Framebuffer::Framebuffer(int width, int height) : width_(width) {
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide) return;
    const std::uint64_t floats =
        std::uint64_t{3} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (floats > std::numeric_limits<std::size_t>::max() / sizeof(float)) return;
    // Not cleared: every pixel of a row is traced before the row is written.
    pixels_.reset(new (std::nothrow) float[static_cast<std::size_t>(floats)]);
}
