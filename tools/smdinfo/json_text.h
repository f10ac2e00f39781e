// JSON text pieces for smdinfo: strings from code-page-949 bytes, numbers
// that read back to the same float.
#pragma once

#include <string>

// A quoted JSON string holding text (converted from CP949 to UTF-8).
std::string JsonString(const std::string& text);

// value with 9 significant digits (enough to read back the same float);
// null for infinities and NaN, which JSON cannot hold.
std::string JsonNumber(float value);
