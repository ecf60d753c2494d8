#pragma once

#include <random>

// Seeded draws for the property tests, so that every run tries the same cases.
struct SeededDraws {
    std::mt19937 random;

    // Uniform in [low, high), in the precision of the bounds.
    template <typename Real>
    Real uniform(Real low, Real high) {
        return std::uniform_real_distribution<Real>(low, high)(random);
    }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
};
