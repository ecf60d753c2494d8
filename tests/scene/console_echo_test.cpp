#include "scene/console_echo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

float fromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

testing::AssertionResult printsAsPrintf(float value) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%g", static_cast<double>(value));
    char text[kMaxNumberText];
    const std::string printed(text, formatNumber(text, text + sizeof text, value));
    if (printed == expected) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << std::hexfloat << value << " printed " << printed << " instead of " << expected;
}

}  // namespace

TEST(ConsoleEcho, FormatsNumbersAsPrintfDoes) {
    std::mt19937 random(5);
    // Every kind of float by its bits (nan, inf and denormals among them), whole numbers on both
    // sides of a million, and dyadic values with few bits, where halfway cases lie.
    for (int i = 0; i < 1000000; ++i) {
        const auto bits = static_cast<std::uint32_t>(random());
        ASSERT_TRUE(printsAsPrintf(fromBits(bits)));
        ASSERT_TRUE(printsAsPrintf(static_cast<float>(static_cast<int>(bits % 4000000) - 2000000)));
        const auto few = static_cast<float>(bits >> (8 + random() % 24));
        ASSERT_TRUE(printsAsPrintf(std::ldexp(few, static_cast<int>(random() % 60) - 30)));
    }
    // Every float near each power of ten, and near the ends of the fixed-point range.
    std::vector<float> middles = {std::ldexp(1.0f, -17), std::ldexp(1.0f, 50)};
    for (int power = -7; power <= 16; ++power) middles.push_back(std::pow(10.0f, power));
    for (const float middle : middles) {
        std::uint32_t centre;
        std::memcpy(&centre, &middle, sizeof centre);
        for (std::uint32_t bits = centre - 20000; bits < centre + 20000; ++bits) {
            ASSERT_TRUE(printsAsPrintf(fromBits(bits)));
            ASSERT_TRUE(printsAsPrintf(-fromBits(bits)));
        }
    }
}
