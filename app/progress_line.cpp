#include "app/progress_line.h"

namespace {

constexpr float kMarksPerRow = 0.013333334f;  // 1/75 in single precision

}  // namespace

// The product is rounded once, straight from its exact value.
ProgressLine::ProgressLine(int height)
    : threshold_(static_cast<float>(double{kMarksPerRow} * height)) {}

bool ProgressLine::countRow() {
    ++rowsSinceMark_;
    // Compared exactly: the count against the single-precision threshold.
    if (double{threshold_} > rowsSinceMark_) return false;
    rowsSinceMark_ = 0;
    return true;
}
