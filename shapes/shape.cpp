#include "shapes/shape.h"

#include <cmath>
#include <limits>
#include <utility>

Shape::Shape(float red, float green, float blue, float reflectivity, float specularity,
             std::shared_ptr<const PcxTexture> loadedTexture)
    : red(red),
      green(green),
      blue(blue),
      reflectivity(reflectivity),
      specularity(specularity),
      texture(std::move(loadedTexture)) {
    if (texture) {
        halfWidth = static_cast<int>(texture->width * 0.5);
        halfHeight = static_cast<int>(texture->height * 0.5);
        textured = true;
    }
}

float Shape::redAt(const Point&) const { return red; }

float Shape::greenAt(const Point&) const { return green; }

float Shape::blueAt(const Point&) const { return blue; }

std::optional<BoundingBox> Shape::bounds() const { return std::nullopt; }

int truncateToInt(float value) {
    if (std::isnan(value)) return 0;
    // Compared as floats: the int limits round to ±2^31, the first values that do not fit.
    if (value >= static_cast<float>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<float>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}
