#include "app/progress_line.h"

#include <gtest/gtest.h>

TEST(ProgressLine, MarksEveryCeilingOfHeightOver75Rows) {
    struct Case {
        int height;
        int rowsPerMark;
        int marks;
    };
    const Case cases[] = {
        {1, 1, 1},    {50, 1, 50},   {75, 1, 75},    {76, 2, 38},  {100, 2, 50},
        {150, 2, 75}, {200, 3, 66},  {240, 4, 60},   {300, 4, 75}, {480, 7, 68},
        {600, 8, 75}, {768, 11, 69}, {1024, 14, 73},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height);
        ProgressLine line(c.height);
        int marks = 0;
        for (int row = 1; row <= c.height; ++row) {
            if (line.countRow()) {
                ++marks;
                EXPECT_EQ(row, marks * c.rowsPerMark);
            }
        }
        EXPECT_EQ(marks, c.marks);
    }
}
