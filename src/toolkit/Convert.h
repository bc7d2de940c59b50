#pragma once
// The classic text-to-number conversion.

#include <string>

// A decimal integer, with an optional sign and leading blanks, or hexadecimal after '$' or "0x";
// anything else, or a value outside 32 bits, raises EConvertError
// "'<text>' ist kein gültiger Integerwert".
int StrToInt(const std::string& text);
