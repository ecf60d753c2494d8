#pragma once

#include <memory>

// width × height pixels of red, green, blue floats, top row first, left to right.
class Framebuffer {
public:
    // Absent when a side is negative or beyond 65535 (what a Targa picture can hold), or when the
    // memory is refused.
    Framebuffer(int width, int height);

    bool obtained() const { return static_cast<bool>(pixels_); }
    float* pixel(int column, int row) { return &pixels_[index(column, row)]; }
    const float* pixel(int column, int row) const { return &pixels_[index(column, row)]; }

private:
    std::size_t index(int column, int row) const {
        return (static_cast<std::size_t>(row) * width_ + column) * 3;
    }

    int width_;
    std::unique_ptr<float[]> pixels_;
};
