#include "render/rounding_allowance.h"

#include <gtest/gtest.h>

// The argument rests on gamma(n) bounding n roundings in a row: (1 + d1) ... (1 + dn) - 1 with
// every |di| <= u lies within gamma(n), the worst case being every di = u.
TEST(RoundingAllowance, GammaBoundsNRoundingsInARow) {
    for (const int operations : {1, 3, 16, 24}) {
        long double worst = 1.0L;
        for (int i = 0; i < operations; ++i) worst *= 1.0L + rounding::kUnitRoundoff;
        EXPECT_LE(static_cast<double>(worst - 1.0L), rounding::gamma(operations)) << operations;
    }
}
