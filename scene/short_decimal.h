#pragma once

// Reads the decimal number at the start of first..last, "-12.5e3" and the like, into value as
// strtof rounds it, when a double product or quotient of exact operands is enough to find that
// float: at most 19 digits making at most 2^53, a power of ten of at most 22, and no tie between
// two floats. Returns the end of the number, where strtof stops too when a blank or the end of the
// text follows; null, with value untouched, when the text starts with no number or with one of
// any other kind.
const char* readShortDecimal(const char* first, const char* last, float& value);
