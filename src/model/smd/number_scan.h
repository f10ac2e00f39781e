// Numbers read exactly as the C library's sscanf reads "%d" and "%f" in the
// "C" locale: the same characters taken, the same values.
//
// Hand-written because the fields must end where sscanf ends them ("1.5.3"
// is the two numbers 1.5 and .3, "1e+x" takes "1e+" and stops before x,
// "0x1p3" is hexadecimal) and no library scanner does that; the values come
// from std::from_chars and strtof, which round correctly like sscanf.
#pragma once

#include <cstdint>

namespace smd {

// White space of the "C" locale: space, \t, \n, \v, \f, \r.
inline bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

inline const char* SkipSpace(const char* p, const char* end) {
    while (p < end && IsSpace(*p)) ++p;
    return p;
}

struct ScannedInt {
    // The value, held at +-2^62 when the digits run further.
    int64_t value = 0;
    // The characters read (sign and digits), for messages.
    const char* text = nullptr;
    int length = 0;

    bool FitsInt() const { return value >= INT32_MIN && value <= INT32_MAX; }
};

// "%d" at *p: white space, an optional sign, decimal digits. False when no
// digit follows; otherwise *p moves past the digits.
bool ScanInt(const char** p, const char* end, ScannedInt* out);

// "%f" at *p: white space, an optional sign, then a decimal or hexadecimal
// number, "inf", "infinity" or "nan" in any case. False when sscanf would
// fail; otherwise *p moves to where sscanf stops and *value may be
// infinite or NaN (the callers refuse those). *text gets the first
// character after the white space.
bool ScanFloat(const char** p, const char* end, float* value, const char** text);

}  // namespace smd
