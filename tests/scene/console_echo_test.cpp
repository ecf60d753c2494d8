#include "scene/console_echo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

testing::AssertionResult printsAsPrintf(float value) {
    char expected[32], text[kMaxNumberText];
    std::snprintf(expected, sizeof expected, "%g", static_cast<double>(value));
    const std::string printed(text, formatNumber(text, text + sizeof text, value));
    if (printed == expected) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << std::hexfloat << value << " printed " << printed << " instead of " << expected;
}

}  // namespace

TEST(ConsoleEcho, FormatsNumbersAsPrintfDoes) {
    std::mt19937 random(5);
    // Any float by its bits, whole numbers around a million, and few-bit dyadics, where ties lie.
    for (int i = 0; i < 1000000; ++i) {
        const auto bits = static_cast<std::uint32_t>(random());
        float any;
        std::memcpy(&any, &bits, sizeof any);
        ASSERT_TRUE(printsAsPrintf(any));
        ASSERT_TRUE(printsAsPrintf(static_cast<float>(static_cast<int>(bits % 4000000) - 2000000)));
        const auto few = static_cast<float>(bits >> (8 + random() % 24));
        ASSERT_TRUE(printsAsPrintf(std::ldexp(few, static_cast<int>(random() % 60) - 30)));
    }
    // Every float near each power of ten, and near the ends of the fixed-point range.
    std::vector<float> middles = {std::ldexp(1.0f, -17), std::ldexp(1.0f, 50)};
    for (int power = -7; power <= 16; ++power) middles.push_back(std::pow(10.0f, power));
    for (float value : middles) {
        for (int step = 0; step < 20000; ++step) value = std::nextafter(value, 0.0f);
        for (int step = 0; step < 40000; ++step, value = std::nextafter(value, INFINITY)) {
            ASSERT_TRUE(printsAsPrintf(value));
            ASSERT_TRUE(printsAsPrintf(-value));
        }
    }
}
