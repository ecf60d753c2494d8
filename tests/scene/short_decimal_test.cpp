#include "scene/short_decimal.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// Printed floats of every magnitude, and digit strings with or without a point, sign, exponent.
std::string randomDecimal(std::mt19937& random) {
    const auto pick = [&](unsigned count) { return static_cast<unsigned>(random() % count); };
    char text[64];
    if (pick(2) == 0) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        const char* formats[] = {"%.9g", "%g", "%.3f", "%.12e", "%.1e"};
        std::snprintf(text, sizeof text, formats[pick(5)], static_cast<double>(value));
        return text;
    }
    if (pick(4) == 0) {  // halfway between two floats, or nearly, where rounding twice can fail
        const float below = static_cast<float>(random() >> pick(32)) * (pick(2) ? 1e-6f : 1.0f);
        const double halfway = (double{below} + std::nextafter(below, 1e30f)) / 2;
        const int length =
            std::snprintf(text, sizeof text, "%.*g", 15 + static_cast<int>(pick(5)), halfway);
        // A new last digit puts it a few steps of a double to either side.
        if (pick(2) == 0 && std::isdigit(static_cast<unsigned char>(text[length - 1])))
            text[length - 1] = static_cast<char>('0' + pick(10));
        return text;
    }
    std::string number = pick(3) == 0 ? "-" : pick(8) == 0 ? "+" : "";
    const unsigned digits = 1 + pick(pick(4) == 0 ? 25 : 10);
    const unsigned point = pick(digits + 2);
    for (unsigned i = 0; i < digits; ++i) {
        if (i == point) number += '.';
        number += static_cast<char>('0' + (pick(4) == 0 ? 0 : pick(10)));
    }
    if (pick(4) == 0)
        number += (pick(2) ? "e" : "E") + std::to_string(static_cast<int>(pick(61)) - 30);
    return number;
}

}  // namespace

TEST(ShortDecimal, ReadsWhatItTakesAsStrtofDoes) {
    std::mt19937 random(11);
    int taken = 0;
    const int count = 2000000;
    for (int i = 0; i < count; ++i) {
        // A byte before; after, the end, another byte, or a blank and more text for the word reads.
        std::string text = "7 "[random() % 2] + randomDecimal(random) + " x0e."[random() % 5];
        for (auto more = text.back() == ' ' ? random() % 20 : 0; more > 0; --more)
            text += "0123456789 .-e"[random() % 14];
        // The text may end anywhere: a block of the file ends where it ends.
        const char* const first = text.data() + 1;
        const char* const last = random() % 4 == 0 ? first + random() % (text.size() - 1)
                                                   : text.data() + text.size() - (random() % 2);
        float value;
        const char* const end = readShortDecimal(first, last, value);
        if (end == nullptr) continue;
        ++taken;
        // A whole decimal as strtof reads it, which stops there too before a blank or the end.
        ASSERT_TRUE(end > first && (end == last || *end < '0' || *end > '9')) << text;
        const std::string seen(first, end == last || *end == ' ' ? last : end);
        char* expectedEnd;
        const float expected = std::strtof(seen.c_str(), &expectedEnd);
        ASSERT_EQ(end - first, expectedEnd - seen.c_str()) << text;
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
    }
    // The spellings it is for are all taken.
    for (const std::string text : {"+7", "-2.5E+3", "1e-5 x", "0.125", "9007199254740992e-22"}) {
        float value;
        EXPECT_NE(readShortDecimal(text.data(), text.data() + text.size(), value), nullptr) << text;
    }
    // Most of them, or the quick path would be seldom taken.
    EXPECT_GT(taken, count / 3);
}
