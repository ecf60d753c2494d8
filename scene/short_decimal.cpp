#include "scene/short_decimal.h"

#include <cstdint>

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

// Appends the digits at p to mantissa, which wraps when more than 19 come; returns their end.
const char* readDigits(const char* p, const char* last, std::uint64_t& mantissa) {
    for (; p < last && digitAt(p) <= 9; ++p) mantissa = 10 * mantissa + digitAt(p);
    return p;
}

}  // namespace

const char* readShortDecimalBytewise(const char* first, const char* last, float& value) {
    const char* p = first;
    const bool negative = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+')) ++p;
    // Leading zeros count as digits too: a longer number is rare enough to leave to others.
    std::uint64_t mantissa = 0;
    const char* const digitsStart = p;
    p = readDigits(p, last, mantissa);
    int digits = static_cast<int>(p - digitsStart);
    int exponent = 0;  // of ten, applied to mantissa
    if (p < last && *p == '.') {
        const char* const fractionStart = ++p;
        p = readDigits(p, last, mantissa);
        exponent = -static_cast<int>(p - fractionStart);
        digits -= exponent;
    }
    if (digits == 0 || digits > kMostDigits) return nullptr;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p < last && *p == '-';
        if (p < last && (*p == '-' || *p == '+')) ++p;
        if (p == last || digitAt(p) > 9) return nullptr;
        int written = 0;
        for (; p < last && digitAt(p) <= 9; ++p) {
            if (written < kExponentCap) written = 10 * written + static_cast<int>(digitAt(p));
        }
        exponent += negativeExponent ? -written : written;
    }
    if (mantissa > kLargestExactMantissa) return nullptr;
    if (exponent < -kLargestExactPower || exponent > kLargestExactPower) return nullptr;
    // Both operands are exact, so the double is the exact value correctly rounded; a nonzero
    // one lies between 1e-22 and 2^53 × 1e22, well inside the normal floats.
    const double exact = static_cast<double>(mantissa);
    const double rounded =
        exponent < 0 ? exact / kPowersOfTen[-exponent] : exact * kPowersOfTen[exponent];
    if (short_decimal::isFloatTie(rounded)) return nullptr;
    const float magnitude = static_cast<float>(rounded);
    value = negative ? -magnitude : magnitude;
    return p;
}
