#pragma once

#include "geometry/ray.h"

// The fixed pinhole: the eye at (0, 0, eyeDistance) looking toward -z through the image plane z =
// 0, one scene unit per pixel.
constexpr float kEyeDistance = 256.0f;

// The ray from the eye through the image-plane point (x, y, 0).
Ray primaryRay(float x, float y, float eyeDistance = kEyeDistance);
