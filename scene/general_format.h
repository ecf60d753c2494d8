#pragma once

// Writes value widened to double as "%g" prints it, six significant digits rounded half to even
// on the exact binary value, when 2^-17 <= |value| < 2^50: there 64-bit integers hold the exact
// scaled value. May write anywhere in the kMaxNumberText characters from first; returns the end
// of the text, or null, with nothing written, for any other value.
char* formatGeneralInRange(char* first, float value);
