#pragma once

// An axis-aligned box in scene space, kept in double so that forming it from float coordinates
// rounds by at most half a double step.
struct BoundingBox {
    double low[3];
    double high[3];

    BoundingBox(double lowX, double lowY, double lowZ, double highX, double highY, double highZ);

    // The largest magnitude of any coordinate in the box.
    double largestMagnitude() const;
    bool isFinite() const;
};
