// Bytes as shapes and rays, which the shape index must answer exactly as testing every shape does.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/fuzz_finding.h"
#include "support/scan_every_shape.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input is read front to back; past its end every byte is 0.
    std::size_t offset = 0;
    const auto byte = [&]() -> std::uint8_t { return offset < size ? data[offset++] : 0; };
    const auto number = [&] {
        const std::uint8_t raw[sizeof(float)] = {byte(), byte(), byte(), byte()};
        float value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    };
    ShapeList shapes;
    const int count = 1 + byte() % 32;
    for (int i = 0; i < count; ++i) {
        const int kind = byte() % 3;
        const float a = number(), b = number(), c = number(), d = number(), e = number();
        shapes.push_back(plainShape(kind, a, b, c, d, e));
    }
    const ShapeIndex index(shapes);
    do {
        // Declarators, unlike a call's arguments, are read in order: x, y, z as stored.
        const float ox = number(), oy = number(), oz = number();
        const float x = number(), y = number(), z = number();
        const Ray ray(Point(ox, oy, oz), x, y, z);
        const char* difference = unlikeScan(shapes, index, ray, 0, shapes.size());
        if (difference != nullptr) fuzzFinding(difference);
    } while (offset < size);
    return 0;
}
