#pragma once

// Decides which rows earn a mark on a progress line: one every m rows, m being the smallest whole
// number not below height / 75 (at least 1), so a full line holds about 75 marks.
class ProgressLine {
public:
    explicit ProgressLine(int height);

    // Counts one row; true when it completes a group of rows and earns a mark.
    bool countRow();

private:
    float threshold_;
    int rowsSinceMark_ = 0;
};
