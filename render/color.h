#pragma once

// Red, green and blue intensities, nominally 0..1.
struct Color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};
