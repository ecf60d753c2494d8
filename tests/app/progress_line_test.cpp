#include "app/progress_line.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

// The threshold is a float product, which must still give a mark exactly every ceil(height / 75)
// rows, for the smallest heights and the tallest picture.
TEST(ProgressLine, MarksEveryCeilingOfHeightOver75Rows) {
    std::vector<int> heights(2000);
    std::iota(heights.begin(), heights.end(), 1);
    heights.push_back(65535);
    for (const int height : heights) {
        const int rowsPerMark = (height + 74) / 75;
        ProgressLine line(height);
        for (int row = 1; row <= height; ++row) {
            ASSERT_EQ(line.countRow(), row % rowsPerMark == 0)
                << "height " << height << " row " << row;
        }
    }
}
