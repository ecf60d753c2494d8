#include "scene/console_echo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "support/temp_file.h"

namespace {

std::string printed(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string formatted(float value) {
    char text[kMaxNumberText];
    return std::string(text, formatNumber(text, text + sizeof text, value));
}

}  // namespace

TEST(ConsoleEcho, FormatsNumbersAsPrintfDoes) {
    using Limits = std::numeric_limits<float>;
    for (const float value :
         {Limits::quiet_NaN(), -Limits::quiet_NaN(), Limits::infinity(), -Limits::infinity(), -0.0f,
          0.0f, Limits::denorm_min(), -Limits::denorm_min(), Limits::min(), -Limits::max(), 1e6f,
          1e-5f, 1e-4f, 999999.5f, 123456.5f, 0.1f, 3.14159265f}) {
        EXPECT_EQ(formatted(value), printed(value));
    }
    // Every kind of float, by its bits, and whole numbers on both sides of a million.
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        ASSERT_EQ(formatted(value), printed(value)) << std::hex << bits;
        const float whole = static_cast<float>(static_cast<int>(bits % 4000000) - 2000000);
        ASSERT_EQ(formatted(whole), printed(whole));
    }
}

TEST(ConsoleEcho, WritesEverythingOnFlushWhateverTheSizeOfItsPieces) {
    CapturedStream out;
    ConsoleEcho echo(out.file());
    const std::string huge(ConsoleEcho::kBufferSize + 10, 'x');
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        echo.line("line ", static_cast<float>(i), std::string_view(i == 2000 ? huge : ""));
        expected += "line " + std::to_string(i) + (i == 2000 ? huge : "") + "\n";
    }
    echo.flush();
    EXPECT_EQ(out.text(), expected);
}
