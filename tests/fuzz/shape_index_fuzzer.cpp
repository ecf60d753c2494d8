// Bytes as shapes and rays: the shape index must answer every ray exactly as testing each shape in
// file order does, for the nearest hit and for the shadow query of every shape.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_finding.h"
#include "render/shape_index.h"
#include "shapes/cylinder.h"
#include "shapes/plane.h"
#include "shapes/sphere.h"
#include "support/scan_every_shape.h"

namespace {

// Reads the input front to back; past its end every value is 0.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return offset_ >= size_; }
    std::uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    float number() {
        std::uint8_t raw[sizeof(float)] = {};
        for (std::uint8_t& b : raw) b = byte();
        float value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, size);
    ShapeList shapes;
    const int count = 1 + bytes.byte() % 32;
    for (int i = 0; i < count; ++i) {
        const int kind = bytes.byte() % 3;
        const float a = bytes.number(), b = bytes.number(), c = bytes.number();
        const float d = bytes.number(), e = bytes.number();
        if (kind == 0) {
            shapes.push_back(std::make_unique<Sphere>(a, b, c, d, 1, 1, 1, 0, 1, nullptr));
        } else if (kind == 1) {
            shapes.push_back(std::make_unique<Cylinder>(a, b, c, d, e, 1, 1, 1, 0, 1, nullptr));
        } else {
            shapes.push_back(std::make_unique<Plane>(a, b, c, d, 1, 1, 1, 0, 1, nullptr));
        }
    }
    const ShapeIndex index(shapes);
    do {
        const Point origin(bytes.number(), bytes.number(), bytes.number());
        const float x = bytes.number(), y = bytes.number(), z = bytes.number();
        const Ray ray(origin, x, y, z);
        const ShapeIndex::Hit expected = scanEveryShape(shapes, ray);
        const ShapeIndex::Hit actual = index.nearest(ray);
        if (!sameHit(actual, expected)) fuzzFinding("another nearest hit");
        for (std::size_t position = 0; position < shapes.size(); ++position) {
            const bool nearest = expected.shape != nullptr && expected.position == position;
            if (index.nearestIs(ray, position) != nearest) fuzzFinding("another shadow answer");
        }
    } while (!bytes.empty());
    return 0;
}
