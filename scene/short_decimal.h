#pragma once

// Reads first..last as a whole decimal number, "-12.5e3" and the like, into value as strtof
// rounds it, when a double product or quotient of exact operands is enough to find that float:
// at most 19 significant digits making at most 2^53, a power of ten of at most 22, and no tie
// between two floats. False, with value untouched, for every other text.
bool readShortDecimal(const char* first, const char* last, float& value);
