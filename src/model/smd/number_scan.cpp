#include "model/smd/number_scan.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace smd {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Matches the letters of word (lower case) at p without regard to case.
bool MatchWord(const char* p, const char* end, const char* word) {
    for (; *word; ++word, ++p)
        if (p >= end || Lower(*p) != *word) return false;
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
        } else if (gotExponent && size > 0 && buffer[size - 1] == exponent &&
                   (c == '-' || c == '+')) {
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
    for (; s < end && IsDigit(*s); ++s)
        value = value < kHeld / 10 ? value * 10 + (*s - '0') : kHeld;
    out->value = negative ? -value : value;
    out->text = text;
    out->length = int(s - text);
    *p = s;
    return true;
}

bool ScanFloatGeneral(const char** p, const char* end, bool negative, float* value) {
    const char* s = *p;
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
