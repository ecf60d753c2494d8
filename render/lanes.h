#pragma once

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// N floats that one instruction works on where the processor can: the shape index's kernels are
// written once over these types. They are the compiler's vector types, so one source gives SSE2
// code (4 lanes), AVX2 code (8 lanes, where the caller is compiled for it) and plain code on other
// machines, lane for lane the same arithmetic.
template <typename T, int N>
struct VectorOf {
    typedef T Type __attribute__((vector_size(N * sizeof(T))));
};

template <int N>
struct Lanes {
    using Floats = typename VectorOf<float, N>::Type;
    using Mask = typename VectorOf<std::int32_t, N>::Type;  // all bits set in a lane that holds
    using Doubles = typename VectorOf<double, N>::Type;

    static Floats load(const float* first) {
        Floats lanes;
        std::memcpy(&lanes, first, sizeof lanes);
        return lanes;
    }
    static void store(Floats lanes, float* first) { std::memcpy(first, &lanes, sizeof lanes); }
    // Subtracting +0 keeps every value, -0 too, and lets the compiler broadcast.
    static Floats splat(float value) { return value - Floats{}; }

    // The larger and the smaller as SSE's max and min give them: b whenever either is NaN, so
    // that a NaN candidate passed first never moves an accumulator passed second.
    static Floats max(Floats a, Floats b) { return a > b ? a : b; }
    static Floats min(Floats a, Floats b) { return a < b ? a : b; }
    static Floats abs(Floats a) {
        Mask bits;
        std::memcpy(&bits, &a, sizeof bits);
        bits &= 0x7fffffff;
        std::memcpy(&a, &bits, sizeof a);
        return a;
    }

    // Rounded to double and back, and the square root in double, as a scalar conversion rounds.
    static Doubles widen(Floats a) { return __builtin_convertvector(a, Doubles); }
    static Floats narrow(Doubles a) { return __builtin_convertvector(a, Floats); }
    static Doubles sqrt(Doubles a) {
        for (int lane = 0; lane < N; ++lane) a[lane] = __builtin_sqrt(a[lane]);
        return a;
    }

    // Bit i set where the top bit of word i is.
    static unsigned topBits(const std::uint32_t* first) {
        Mask words;
        std::memcpy(&words, first, sizeof words);
        return bits(words);
    }

    // Bit i set where lane i of the mask is.
    static unsigned bits(Mask mask) {
#if defined(__x86_64__) || defined(__i386__)
        if constexpr (N == 4) return static_cast<unsigned>(_mm_movemask_ps((__m128)mask));
        if constexpr (N == 8) return static_cast<unsigned>(_mm256_movemask_ps((__m256)mask));
#endif
        unsigned set = 0;
        for (int lane = 0; lane < N; ++lane) set |= (mask[lane] != 0 ? 1u : 0u) << lane;
        return set;
    }
};
