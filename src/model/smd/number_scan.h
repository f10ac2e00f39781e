// Numbers read exactly as the C library's sscanf reads "%d" and "%f" in the
// "C" locale: the same characters taken, the same values.
//
// Hand-written because the fields must end where sscanf ends them ("1.5.3"
// is the two numbers 1.5 and .3, "1e+x" takes "1e+" and stops before x,
// "0x1p3" is hexadecimal) and no library scanner does that; the values come
// from std::from_chars and strtof, which round correctly like sscanf.
#pragma once

#include <cstdint>
#include <cstring>

namespace smd {

// White space of the "C" locale: space, \t, \n, \v, \f, \r.
inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

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

// The common case of "%f" after its sign, "12.345678": at most 19 digits, no
// exponent, the digits below 2^53 and at most 22 decimals, so that integer
// / 10^k is one correctly rounded double division. Rounding that double to
// float is right unless it lies exactly halfway between two floats, which
// is left to the general path, as is everything else. False (nothing
// consumed) when the text is not of this form. Inline: it is the parser's
// hot loop.
inline bool ScanPlainDecimal(const char** p, const char* end, bool negative, float* value) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char* s = *p;
    uint64_t digits = 0;
    while (s < end && unsigned(*s - '0') < 10u) digits = digits * 10 + unsigned(*s++ - '0');
    int count = int(s - *p);
    int decimals = 0;
    if (s < end && *s == '.') {
        const char* fraction = ++s;
        while (s < end && unsigned(*s - '0') < 10u) digits = digits * 10 + unsigned(*s++ - '0');
        decimals = int(s - fraction);
        count += decimals;
    }
    if (count == 0 || count > 19 || decimals > 22 || digits > (uint64_t(1) << 53)) return false;
    // An exponent, or a letter that could make this hexadecimal, "1e" or
    // "1e+" (which sscanf takes whole), goes the general way.
    if (s < end && ((*s | 0x20) == 'e' || (*s | 0x20) == 'x')) return false;
    // The quotient lies between 1e-22 and 2^53: a normal float.
    double exact = double(digits) / kPowersOfTen[decimals];
    uint64_t bits;
    std::memcpy(&bits, &exact, sizeof(bits));
    // The 29 bits of a double below float precision: exactly half of a float
    // step is where rounding twice can differ from rounding once.
    if ((bits & ((uint64_t(1) << 29) - 1)) == (uint64_t(1) << 28)) return false;
    float result = float(exact);
    *value = negative ? -result : result;
    *p = s;
    return true;
}

// Everything "%f" reads after the sign that ScanPlainDecimal does not.
bool ScanFloatGeneral(const char** p, const char* end, bool negative, float* value);

// "%f" at *p: white space, an optional sign, then a decimal or hexadecimal
// number, "inf", "infinity" or "nan" in any case. False when sscanf would
// fail; otherwise *p moves to where sscanf stops and *value may be
// infinite or NaN (the callers refuse those). *text gets the first
// character after the white space.
inline bool ScanFloat(const char** p, const char* end, float* value, const char** text) {
    const char* s = SkipSpace(*p, end);
    *text = s;
    if (s >= end) return false;
    bool negative = false;
    if (*s == '-' || *s == '+') {
        negative = *s == '-';
        if (++s >= end) return false;
    }
    if (!ScanPlainDecimal(&s, end, negative, value) && !ScanFloatGeneral(&s, end, negative, value))
        return false;
    *p = s;
    return true;
}

}  // namespace smd
