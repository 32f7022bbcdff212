// Numbers to text and back, as list cells, key fields and the saved list file use them.
// Free of the platform; both directions are pure functions and safe on any thread.
#pragma once

#include <cstdint>
#include <string>

// 15 significant digits. Every 32-bit whole number gives plain decimal digits; not every larger
// one does (8623345148 gives "8623345147.99999").
std::string NumberToText(double value);

// Reads a decimal, "&H" hexadecimal or "&O" octal number from the start of text; never fails.
double TextToNumber(const char* text);

// Truncation toward zero to a 32-bit key code, defined for every double.
int32_t TruncateToInt32(double value);
