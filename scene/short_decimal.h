#pragma once

#include <cstdint>
#include <cstring>

// The same as readShortDecimal, a byte at a time: for the numbers the word-at-a-time reading
// leaves alone, and for texts too short for its loads.
const char* readShortDecimalBytewise(const char* first, const char* last, float& value);

namespace short_decimal {

constexpr std::uint64_t kEachByte = 0x0101010101010101;

// The eight bytes at p with the digits turned into their values 0 to 9, and every other byte to
// a value above 9. An exclusive or, unlike a subtraction, keeps each byte to itself.
inline std::uint64_t loadValues(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word ^ '0' * kEachByte;
}

// The top bit of each byte of values above 9: what was no digit.
inline std::uint64_t nonDigits(std::uint64_t values) {
    return (((values & 0x7F * kEachByte) + 0x76 * kEachByte) | values) & 0x80 * kEachByte;
}

// The bytes before the first one marked, all of them when none is.
inline std::uint64_t bytesBefore(std::uint64_t marks) { return ((marks & (0 - marks)) >> 7) - 1; }

// Eight digit values as bytes, the first the most significant, as a number.
inline std::uint64_t eightDigits(std::uint64_t digits) {
    digits = digits * 10 + (digits >> 8);
    return (((digits & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((digits >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
}

// The double halfway between two floats: the 29 bits a float drops are a one and 28 zeros.
inline bool isFloatTie(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x1FFFFFFF) == 0x10000000;
}

// The inverse powers of ten, each correctly rounded.
constexpr double kInversePowersOfTen[] = {1e-0, 1e-1, 1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                          1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};

// Whether a float tie lies within four double steps of value, so that a double that close may
// round to another float than value does.
inline bool nearFloatTie(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x1FFFFFFF) - (0x10000000 - 4) <= 8;
}

}  // namespace short_decimal

// Reads the decimal number at the start of first..last, "-12.5e3" and the like, into value as
// strtof rounds it, when a double product or quotient of exact operands is enough to find that
// float: at most 19 digits making at most 2^53, a power of ten of at most 22, and no tie between
// two floats. Returns the end of the number, where strtof stops too when a blank or the end of the
// text follows; null, with value untouched, when the text starts with no number or with one of
// any other kind.
//
// Inline, for the numbers of a scene file: a sign and at most fifteen digits and a point, read
// as two words with no loop.
inline const char* readShortDecimal(const char* first, const char* last, float& value) {
    using namespace short_decimal;
    // A sign and two words: every load below stays inside the text.
    if (last - first < 17) return readShortDecimalBytewise(first, last, value);
    const bool negative = *first == '-';
    // A '+' is left to the bytewise reading: it is neither a digit nor a point.
    const char* const p = first + negative;
    const std::uint64_t front = loadValues(p);
    const std::uint64_t frontMarks = nonDigits(front);
    if (frontMarks == 0) return readShortDecimalBytewise(first, last, value);
    const int pointAt = __builtin_ctzll(frontMarks) / 8;  // or the end, when there is no point
    const bool point = p[pointAt] == '.';
    // The marks after the point's: the end, when the front word holds it.
    const std::uint64_t frontEnd = frontMarks & (frontMarks - point);
    const std::uint64_t back = loadValues(p + 8);
    const std::uint64_t backEnd = nonDigits(back);
    // The end, in the front word or else in the back one.
    const bool endInFront = frontEnd != 0;
    const std::uint64_t endMarks = endInFront ? frontEnd : backEnd;
    if (endMarks == 0) return readShortDecimalBytewise(first, last, value);
    const int end = __builtin_ctzll(endMarks) / 8 + (endInFront ? 0 : 8);
    if (end == static_cast<int>(point) || (p[end] | 0x20) == 'e') {
        return readShortDecimalBytewise(first, last, value);
    }
    const std::uint64_t digitsBefore = bytesBefore(endMarks);
    // The sixteen digits with the point taken out: the whole ones move up a byte over it, and a
    // leading zero comes in below them.
    const std::uint64_t whole = (std::uint64_t{1} << 8 * pointAt) - 1;
    const std::uint64_t joined =
        (front & whole) << 8 |
        (front & (endInFront ? digitsBefore : ~std::uint64_t{0}) & ~whole << 8);
    const std::uint64_t backDigits = endInFront ? 0 : back & digitsBefore;
    // Below 10^15, so exact; 15 - pointAt digits follow the point. Its product with the rounded
    // inverse power carries two roundings of 2^-53 each, so it lies within two double steps of
    // the exact value, and it comes a division's latency sooner than the quotient: rounded to
    // float it gives what the exact value does unless a float tie lies that close.
    const std::uint64_t mantissa = eightDigits(joined) * 100000000 + eightDigits(backDigits);
    const double near = static_cast<double>(static_cast<std::int64_t>(mantissa)) *
                        kInversePowersOfTen[15 - pointAt];
    if (nearFloatTie(near)) return nullptr;
    const float magnitude = static_cast<float>(near);
    value = negative ? -magnitude : magnitude;
    return p + end;
}
