#include "geometry/camera.h"

Ray primaryRay(float x, float y, float eyeDistance) {
    return Ray(Point(0.0f, 0.0f, eyeDistance), x, y, -eyeDistance);
}
