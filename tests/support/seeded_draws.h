#pragma once

#include <random>

// Seeded draws for the property tests, so that every run tries the same cases.
class SeededDraws {
public:
    explicit SeededDraws(unsigned seed) : random_(seed) {}

    // Uniform in [low, high).
    float uniform(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random_);
    }
    // One of 0 .. count - 1.
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

private:
    std::mt19937 random_;
};
