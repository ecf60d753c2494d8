#pragma once

#include <cstdint>

// A seeded stream of pseudo-random numbers that is the same on every compiler and library:
// splitmix64, with doubles made from the top 53 bits.
class RandomStream {
public:
    explicit RandomStream(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // Uniform in [low, high).
    double uniform(double low, double high);

private:
    std::uint64_t state_;
};
