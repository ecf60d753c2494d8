#include "scene/short_decimal.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;
constexpr std::uint64_t kLargestExactMantissa = std::uint64_t{1} << 53;
constexpr int kMostDigits = 19;
// An exponent this long is far outside every power used here, and cannot overflow an int.
constexpr int kExponentCap = 100000;

unsigned digitAt(const char* p) { return static_cast<unsigned>(*p - '0'); }

// The double halfway between two floats: the 29 bits a float drops are a one and 28 zeros.
bool isFloatTie(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x1FFFFFFF) == 0x10000000;
}

}  // namespace

bool readShortDecimal(const char* first, const char* last, float& value) {
    const char* p = first;
    const bool negative = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+')) ++p;
    std::uint64_t mantissa = 0;
    int digits = 0;     // significant digits in mantissa
    int exponent = 0;   // of ten, applied to mantissa
    bool anyDigit = false;
    for (; p < last && digitAt(p) <= 9; ++p) {
        anyDigit = true;
        if (mantissa == 0 && *p == '0') continue;
        if (++digits > kMostDigits) return false;
        mantissa = 10 * mantissa + digitAt(p);
    }
    if (p < last && *p == '.') {
        for (++p; p < last && digitAt(p) <= 9; ++p) {
            anyDigit = true;
            --exponent;
            if (mantissa == 0 && *p == '0') continue;
            if (++digits > kMostDigits) return false;
            mantissa = 10 * mantissa + digitAt(p);
        }
    }
    if (!anyDigit) return false;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p < last && *p == '-';
        if (p < last && (*p == '-' || *p == '+')) ++p;
        if (p == last || digitAt(p) > 9) return false;
        int written = 0;
        for (; p < last && digitAt(p) <= 9; ++p) {
            if (written < kExponentCap) written = 10 * written + static_cast<int>(digitAt(p));
        }
        exponent += negativeExponent ? -written : written;
    }
    if (p != last || mantissa > kLargestExactMantissa) return false;
    if (exponent < -kLargestExactPower || exponent > kLargestExactPower) return false;
    // Both operands are exact, so the double is the exact value correctly rounded; a nonzero
    // one lies between 1e-22 and 2^53 × 1e22, well inside the normal floats.
    const double exact = static_cast<double>(mantissa);
    const double rounded = exponent < 0 ? exact / kPowersOfTen[-exponent]
                                        : exact * kPowersOfTen[exponent];
    // Rounding twice is rounding once except from a tie, which the exact value need not be.
    if (isFloatTie(rounded)) return false;
    const float magnitude = static_cast<float>(rounded);
    value = negative ? -magnitude : magnitude;
    return true;
}
