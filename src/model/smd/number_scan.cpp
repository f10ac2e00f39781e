#include "model/smd/number_scan.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace smd {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Matches the letters of word (lower case) at p without regard to case.
bool MatchWord(const char* p, const char* end, const char* word) {
    for (; *word; ++word, ++p)
        if (p >= end || Lower(*p) != *word) return false;
    return true;
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common case, "-12.345678": at most 19 digits, no exponent. With the
// digits an integer below 2^53 and at most 22 decimals, integer / 10^k is
// one correctly rounded double operation; rounding that double to float
// gives the correctly rounded float unless it lies exactly halfway between
// two floats, which is left to the general path. False when the text is
// not of this form (nothing is consumed then).
bool ScanPlainDecimal(const char** p, const char* end, bool negative, float* value) {
    const char* s = *p;
    uint64_t digits = 0;
    int count = 0;
    int decimals = 0;
    while (s < end && IsDigit(*s)) {
        digits = digits * 10 + uint64_t(*s - '0');
        ++count;
        ++s;
    }
    if (s < end && *s == '.') {
        ++s;
        while (s < end && IsDigit(*s)) {
            digits = digits * 10 + uint64_t(*s - '0');
            ++count;
            ++decimals;
            ++s;
        }
    }
    if (count == 0 || count > 19 || digits > (uint64_t(1) << 53) || decimals > 22) return false;
    // An exponent, or a letter that could make this hexadecimal, "1e" or
    // "1e+" (which sscanf takes whole), goes the general way.
    if (s < end && (*s == 'e' || *s == 'E' || *s == 'x' || *s == 'X')) return false;
    double exact = double(digits) / kPowersOfTen[decimals];
    if (exact != 0.0 && (exact < double(std::numeric_limits<float>::min()) ||
                         exact > double(std::numeric_limits<float>::max())))
        return false;
    uint64_t bits;
    std::memcpy(&bits, &exact, sizeof(bits));
    // The 29 bits of a double below float precision: exactly half of a float
    // step is the one case where rounding twice can differ from once.
    if ((bits & ((uint64_t(1) << 29) - 1)) == (uint64_t(1) << 28)) return false;
    float result = float(exact);
    *value = negative ? -result : result;
    *p = s;
    return true;
}

// sscanf's own loop over the characters of a number after its sign: digits,
// one '.', an exponent letter after a digit with an optional sign right
// after it, hexadecimal digits after "0x". It takes characters that make no
// valid number ("1e+", "0x."), and converts what strtof accepts of them.
bool ScanGeneral(const char** p, const char* end, bool negative, float* value) {
    char buffer[512];
    int size = 0;
    const char* s = *p;
    auto add = [&](char c) {
        if (size < int(sizeof(buffer)) - 1) buffer[size++] = c;
    };
    bool hex = false;
    bool gotDigit = false;
    bool gotDot = false;
    bool gotExponent = false;
    char exponent = 'e';
    if (s < end && *s == '0') {
        add(*s++);
        if (s < end && Lower(*s) == 'x') {
            add(*s++);
            hex = true;
            exponent = 'p';
        } else {
            gotDigit = true;
        }
    }
    for (; s < end; ++s) {
        char c = *s;
        if (IsDigit(c) || (hex && !gotExponent && IsHexDigit(c))) {
            add(c);
            gotDigit = true;
        } else if (gotExponent && size > 0 && buffer[size - 1] == exponent && (c == '-' || c == '+')) {
            add(c);
        } else if (gotDigit && !gotExponent && Lower(c) == exponent) {
            add(exponent);
            gotExponent = gotDot = true;
        } else if (!gotDot && c == '.') {
            add(c);
            gotDot = true;
        } else {
            break;
        }
    }
    if (size == 0 || (hex && size == 2)) return false;
    buffer[size] = '\0';
    char* stop = nullptr;
    float result = std::strtof(buffer, &stop);
    if (stop == buffer) return false;
    *value = negative ? -result : result;
    *p = s;
    return true;
}

}  // namespace

bool ScanInt(const char** p, const char* end, ScannedInt* out) {
    const char* s = SkipSpace(*p, end);
    const char* text = s;
    bool negative = false;
    if (s < end && (*s == '-' || *s == '+')) {
        negative = *s == '-';
        ++s;
    }
    if (s >= end || !IsDigit(*s)) return false;
    constexpr int64_t kHeld = int64_t(1) << 62;
    int64_t value = 0;
    for (; s < end && IsDigit(*s); ++s) value = value < kHeld / 10 ? value * 10 + (*s - '0') : kHeld;
    out->value = negative ? -value : value;
    out->text = text;
    out->length = int(s - text);
    *p = s;
    return true;
}

bool ScanFloat(const char** p, const char* end, float* value, const char** text) {
    const char* s = SkipSpace(*p, end);
    *text = s;
    if (s >= end) return false;
    bool negative = false;
    if (*s == '-' || *s == '+') {
        negative = *s == '-';
        if (++s >= end) return false;
    }
    // One sign only: from_chars below would take "-1" after a '+'.
    if (*s == '-' || *s == '+') return false;
    char first = Lower(*s);
    if (first == 'n') {
        if (!MatchWord(s, end, "nan")) return false;
        *value = negative ? -std::numeric_limits<float>::quiet_NaN()
                          : std::numeric_limits<float>::quiet_NaN();
        *p = s + 3;
        return true;
    }
    if (first == 'i') {
        if (!MatchWord(s, end, "inf")) return false;
        s += 3;
        // "inf" may go on as "infinity", but not as part of it.
        if (s < end && Lower(*s) == 'i') {
            if (!MatchWord(s, end, "inity")) return false;
            s += 5;
        }
        *value = negative ? -std::numeric_limits<float>::infinity()
                          : std::numeric_limits<float>::infinity();
        *p = s;
        return true;
    }
    if (ScanPlainDecimal(&s, end, negative, value)) {
        *p = s;
        return true;
    }
    // Decimal with an exponent or many digits: from_chars takes the same
    // characters as sscanf unless an exponent letter or an 'x' follows what
    // it read, and it does not round out-of-range values like strtof.
    float parsed = 0.0f;
    std::from_chars_result read = std::from_chars(s, end, parsed, std::chars_format::general);
    if (read.ec == std::errc() &&
        (read.ptr == end || (Lower(*read.ptr) != 'e' && Lower(*read.ptr) != 'x'))) {
        *value = negative ? -parsed : parsed;
        *p = read.ptr;
        return true;
    }
    if (!ScanGeneral(&s, end, negative, value)) return false;
    *p = s;
    return true;
}

}  // namespace smd
