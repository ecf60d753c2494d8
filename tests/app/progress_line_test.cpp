#include "app/progress_line.h"

#include <gtest/gtest.h>

// The float threshold must still give a mark exactly every ceil(height / 75) rows.
TEST(ProgressLine, MarksEveryCeilingOfHeightOver75Rows) {
    for (int height = 1; height <= 3000; ++height) {
        const int rowsPerMark = (height + 74) / 75;
        ProgressLine line(height);
        for (int row = 1; row <= height; ++row)
            ASSERT_EQ(line.countRow(), row % rowsPerMark == 0) << height << ", row " << row;
    }
}
