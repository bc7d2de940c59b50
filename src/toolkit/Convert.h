#pragma once
// The classic conversions between text and numbers, and the classic rounding.

#include <string>

// A decimal integer, with an optional sign and leading blanks, or hexadecimal after '$' or "0x";
// anything else, or a value outside 32 bits, raises EConvertError
// "'<text>' ist kein gültiger Integerwert".
int StrToInt(const std::string& text);

// The nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4) whatever the FPU's
// rounding mode; beyond the range of int, the nearer end of it.
int RoundHalfEven(double value);
