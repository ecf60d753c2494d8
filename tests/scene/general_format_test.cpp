#include "scene/general_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "scene/console_echo.h"

namespace {

float fromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Whether value is printed as "%g" prints it, or left alone outside the range.
testing::AssertionResult printsAsPrintf(float value) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%g", static_cast<double>(value));
    char text[kMaxNumberText];
    char* const end = formatGeneralInRange(text, value);
    const float magnitude = std::fabs(value);
    const bool inRange = magnitude >= std::ldexp(1.0f, -17) && magnitude < std::ldexp(1.0f, 50);
    if (end == nullptr && !inRange) return testing::AssertionSuccess();
    if (end != nullptr && inRange && std::string(text, end) == expected) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << std::hexfloat << value << " printed " << (end ? std::string(text, end) : "nothing")
           << " instead of " << expected;
}

}  // namespace

TEST(GeneralFormat, PrintsAsPrintfDoes) {
    std::mt19937 random(5);
    // Every kind of float by its bits, and dyadic values with few bits, where halfway cases lie.
    for (int i = 0; i < 1000000; ++i) {
        const auto bits = static_cast<std::uint32_t>(random());
        ASSERT_TRUE(printsAsPrintf(fromBits(bits)));
        const auto few = static_cast<float>(bits >> (8 + random() % 24));
        ASSERT_TRUE(printsAsPrintf(std::ldexp(few, static_cast<int>(random() % 60) - 30)));
    }
    // Every float near each power of ten in the range, and near its ends.
    for (int power = -6; power <= 15; ++power) {
        std::uint32_t middle;
        const float tenth = static_cast<float>(std::pow(10.0, power));
        std::memcpy(&middle, &tenth, sizeof middle);
        for (std::uint32_t bits = middle - 20000; bits < middle + 20000; ++bits) {
            ASSERT_TRUE(printsAsPrintf(fromBits(bits)));
            ASSERT_TRUE(printsAsPrintf(-fromBits(bits)));
        }
    }
}
