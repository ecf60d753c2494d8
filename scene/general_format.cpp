#include "scene/general_format.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kPowersOfFive[] = {1,       5,        25,        125,        625,
                                           3125,    15625,    78125,     390625,     1953125,
                                           9765625, 48828125, 244140625, 1220703125, 6103515625};
constexpr int kSignificantDigits = 6;
constexpr std::uint64_t kEachByte = 0x0000010101010101;  // the six bytes of the digits
constexpr std::uint64_t kSmallestSix = 100000;
constexpr std::uint64_t kSmallestSeven = 1000000;
constexpr int kSmallestBinaryExponent = -17;
constexpr int kLargestBinaryExponent = 49;

// What is left below the units of a scaled value, as rounding to a whole number needs it.
enum class Rest { none, belowHalf, half, aboveHalf };

struct Scaled {
    std::uint64_t whole;
    Rest rest;
};

Rest restOf(std::uint64_t remainder, std::uint64_t divisor) {
    if (remainder == 0) return Rest::none;
    const std::uint64_t other = divisor - remainder;
    return remainder < other ? Rest::belowHalf : remainder == other ? Rest::half : Rest::aboveHalf;
}

// significand × 2^binaryExponent × 10^decimalShift, split at the units; the ranges let every
// operand fit 64 bits.
Scaled scale(std::uint64_t significand, int binaryExponent, int decimalShift) {
    // 10^k = 5^k × 2^k: the five goes to the numerator or the divisor, the two to a shift.
    const int shift = binaryExponent + decimalShift;
    if (decimalShift >= 0) {
        const std::uint64_t numerator = significand * kPowersOfFive[decimalShift];
        if (shift >= 0) return {numerator << shift, Rest::none};
        // Below a million the divisor is a power of two, and a shift and a mask stand for it.
        const std::uint64_t divisor = std::uint64_t{1} << -shift;
        return {numerator >> -shift, restOf(numerator & (divisor - 1), divisor)};
    }
    std::uint64_t numerator = significand;
    std::uint64_t divisor = kPowersOfFive[-decimalShift];
    if (shift >= 0) {
        numerator <<= shift;
    } else {
        divisor <<= -shift;
    }
    return {numerator / divisor, restOf(numerator % divisor, divisor)};
}

// Drops the last digit of a scaled value into its rest.
Scaled dropDigit(Scaled value) {
    const auto dropped = static_cast<unsigned>(value.whole % 10);
    Rest rest = Rest::belowHalf;
    if (dropped > 5 || (dropped == 5 && value.rest != Rest::none)) {
        rest = Rest::aboveHalf;
    } else if (dropped == 5) {
        rest = Rest::half;
    } else if (dropped == 0 && value.rest == Rest::none) {
        rest = Rest::none;
    }
    return {value.whole / 10, rest};
}

// "00" to "99", for two digits at a time.
constexpr struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text() {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = static_cast<char>('0' + i / 10);
            text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
} kDigitPairs;

std::uint64_t digitPair(std::uint64_t pair) {
    std::uint16_t text;
    std::memcpy(&text, kDigitPairs.text + 2 * pair, sizeof text);
    return text;
}

// The six digits of a number from 100000 to 999999 as the characters of a word, the first lowest.
// The number over 10^4 in 48-bit fixed point: its whole part is the first pair, and each time
// the fraction is multiplied by 100 the next pair comes up into the whole part. The constant
// exceeds 2^48 / 10^4 by less than one, too little to reach the whole part in three steps.
std::uint64_t digitText(std::uint64_t whole) {
    constexpr std::uint64_t kFraction = (std::uint64_t{1} << 48) - 1;
    std::uint64_t scaled = whole * ((std::uint64_t{1} << 48) / 10000 + 1);
    const std::uint64_t first = digitPair(scaled >> 48);
    scaled = (scaled & kFraction) * 100;
    const std::uint64_t second = digitPair(scaled >> 48);
    scaled = (scaled & kFraction) * 100;
    return first | second << 16 | digitPair(scaled >> 48) << 32;
}

void store(char* out, std::uint64_t bytes) { std::memcpy(out, &bytes, sizeof bytes); }

}  // namespace

char* formatGeneralInRange(char* first, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int binaryExponent = static_cast<int>((bits >> 23) & 0xFF) - 127;
    if (binaryExponent < kSmallestBinaryExponent || binaryExponent > kLargestBinaryExponent) {
        return nullptr;
    }
    const std::uint64_t significand = (bits & 0x7FFFFF) | 0x800000;
    // floor(log10(2^binaryExponent)), which the value's decimal exponent is or exceeds by one.
    int exponent = (binaryExponent * 78913) >> 18;
    Scaled scaled = scale(significand, binaryExponent - 23, kSignificantDigits - 1 - exponent);
    if (scaled.whole >= kSmallestSeven) {
        scaled = dropDigit(scaled);
        ++exponent;
    }
    std::uint64_t whole = scaled.whole;
    if (scaled.rest == Rest::aboveHalf || (scaled.rest == Rest::half && whole % 2 == 1)) ++whole;
    if (whole == kSmallestSeven) {
        whole = kSmallestSix;
        ++exponent;
    }
    const std::uint64_t text = digitText(whole);
    // Digits up to the last that is not zero: "%g" drops the trailing zeros.
    const int kept = (63 - __builtin_clzll(text ^ '0' * kEachByte)) / 8 + 1;
    char* out = first;
    if (bits >> 31) *out++ = '-';
    if (exponent < -4 || exponent >= kSignificantDigits) {
        store(out, (text & 0xFF) | std::uint64_t{'.'} << 8 | (text & ~std::uint64_t{0xFF}) << 8);
        out += kept == 1 ? 1 : kept + 1;
        const int size = exponent < 0 ? -exponent : exponent;
        const char tail[] = {'e', exponent < 0 ? '-' : '+', static_cast<char>('0' + size / 10),
                             static_cast<char>('0' + size % 10)};
        std::memcpy(out, tail, sizeof tail);
        return out + sizeof tail;
    }
    if (exponent < 0) {
        const int zeros = -exponent - 1;
        store(out, 0x3030303030302E30);  // "0.000000"
        store(out + 2 + zeros, text);
        return out + 2 + zeros + kept;
    }
    const int units = exponent + 1;  // digits before the point
    const std::uint64_t unitMask = (std::uint64_t{1} << 8 * units) - 1;
    store(out, (text & unitMask) | std::uint64_t{'.'} << 8 * units | (text & ~unitMask) << 8);
    return out + (kept > units ? kept + 1 : units);
}
