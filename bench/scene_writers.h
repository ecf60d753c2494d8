#pragma once

#include <cstdio>

#include "bench/field_scene.h"

// The scene as an Orvane scene file: the floor, the objects in order, then the lights.
void writeRayScene(std::FILE* out, const FieldScene& scene);

// The same scene in POV-Ray's language, as close as it allows: the z axis mirrored (POV-Ray is
// left-handed), the camera at the mirrored eye with one unit per pixel at 640 × 480 on the
// picture plane, point lights, no ambient light, diffuse 1, a phong highlight and mirror
// reflection, and rays followed through at most reflectionDepth reflections.
void writePovScene(std::FILE* out, const FieldScene& scene, int reflectionDepth);
