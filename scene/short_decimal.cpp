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

constexpr std::uint64_t kWholePowersOfTen[] = {1,     10,     100,     1000,     10000,
                                                100000, 1000000, 10000000, 100000000};
constexpr std::uint64_t kEachByte = 0x0101010101010101;

unsigned digitAt(const char* p) { return static_cast<unsigned>(*p - '0'); }

// How many of the eight bytes at p are digits before the first that is not, and their value.
// Eight at a time, with no branch on the count, which varies from number to number.
int leadingDigits(const char* p, std::uint64_t& value) {
    std::uint64_t chunk;
    std::memcpy(&chunk, p, sizeof chunk);
    const std::uint64_t digits = chunk - '0' * kEachByte;
    // The top bit of a byte is set when the byte is below '0' or above '9'. Borrows and carries
    // run upward only, so the bytes before the first such byte come out right.
    const std::uint64_t others = ((chunk + 0x46 * kEachByte) | digits) & (0x80 * kEachByte);
    const int count = others == 0 ? 8 : __builtin_ctzll(others) / 8;
    // The count digits moved to the top, the first byte (the leading digit) highest; the zero
    // bytes shifted in below them are leading zeros.
    std::uint64_t v = count == 0 ? 0 : digits << (64 - 8 * count);
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
         (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
        32;
    value = v;
    return count;
}

// Appends the digits at p to mantissa, which wraps when more than 19 come; returns their end.
const char* readDigits(const char* p, const char* last, std::uint64_t& mantissa) {
    while (last - p >= 8) {
        std::uint64_t value;
        const int count = leadingDigits(p, value);
        mantissa = mantissa * kWholePowersOfTen[count] + value;
        p += count;
        if (count < 8) return p;
    }
    for (; p < last && digitAt(p) <= 9; ++p) mantissa = 10 * mantissa + digitAt(p);
    return p;
}

// The double halfway between two floats: the 29 bits a float drops are a one and 28 zeros.
bool isFloatTie(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x1FFFFFFF) == 0x10000000;
}

}  // namespace

const char* readShortDecimal(const char* first, const char* last, float& value) {
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
    const double rounded = exponent < 0 ? exact / kPowersOfTen[-exponent]
                                        : exact * kPowersOfTen[exponent];
    // Rounding twice is rounding once except from a tie, which the exact value need not be.
    if (isFloatTie(rounded)) return nullptr;
    const float magnitude = static_cast<float>(rounded);
    value = negative ? -magnitude : magnitude;
    return p;
}
