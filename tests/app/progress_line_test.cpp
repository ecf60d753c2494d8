#include "app/progress_line.h"

#include <gtest/gtest.h>

namespace {

// The rows (1-based) that earn a mark over a whole line of height rows.
int marksFor(int height, int* rowsPerMark) {
    ProgressLine line(height);
    int marks = 0;
    int firstMark = 0;
    for (int row = 1; row <= height; ++row) {
        if (line.countRow()) {
            if (marks++ == 0) firstMark = row;
        }
    }
    *rowsPerMark = firstMark;
    return marks;
}

}  // namespace

TEST(ProgressLine, MarksEveryCeilingOfHeightOver75Rows) {
    struct Case {
        int height;
        int rowsPerMark;
        int marks;
    };
    const Case cases[] = {
        {50, 1, 50},   {75, 1, 75},    {76, 2, 38},  {100, 2, 50}, {150, 2, 75},
        {200, 3, 66},  {240, 4, 60},   {300, 4, 75}, {480, 7, 68}, {600, 8, 75},
        {768, 11, 69}, {1024, 14, 73}, {1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height);
        int rowsPerMark = 0;
        EXPECT_EQ(marksFor(c.height, &rowsPerMark), c.marks);
        EXPECT_EQ(rowsPerMark, c.rowsPerMark);
    }
}

TEST(ProgressLine, RowsAfterTheLastFullGroupEarnNoMark) {
    ProgressLine line(200);  // a mark every 3 rows
    int lastMark = 0;
    for (int row = 1; row <= 200; ++row) {
        if (line.countRow()) lastMark = row;
    }
    EXPECT_EQ(lastMark, 198);
}
