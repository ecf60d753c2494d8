#pragma once

#include <gtest/gtest.h>

#include "geometry/point.h"
#include "geometry/vector.h"

inline void expectVector(const Vector& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

inline void expectPoint(const Point& p, float x, float y, float z) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}
