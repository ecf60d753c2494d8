// Bytes as shapes and rays, which the shape index must answer exactly as testing every shape does,
// with every lane count the processor searches with, and so must a copy of it.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

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
    for (int count = 1 + byte() % 32; count > 0; --count) {
        const int kind = byte() % 3;
        const float a = number(), b = number(), c = number(), d = number(), e = number();
        shapes.push_back(plainShape(kind, a, b, c, d, e));
    }
    std::vector<Ray> rays;
    do {
        // A braced list, unlike a call's arguments, is read in order: origin, then direction.
        const float v[6] = {number(), number(), number(), number(), number(), number()};
        rays.emplace_back(Point(v[0], v[1], v[2]), v[3], v[4], v[5]);
    } while (offset < size);
    for (const int lanes : {4, ShapeIndex::widestLanes()}) {
        const ShapeIndex index(shapes, lanes);
        const ShapeIndex copy(index);  // as a second render thread searches, every other ray
        for (std::size_t i = 0; i < rays.size(); ++i) {
            if (const char* why =
                    unlikeScan(shapes, i % 2 == 0 ? index : copy, rays[i], 0, shapes.size()))
                fuzzFinding(why);
        }
    }
    return 0;
}
