#include "json_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/printable_text.h"

Json JsonString(const std::string& text) { return FileTextAsUtf8(text); }

Json JsonNumber(float value) {
    if (!std::isfinite(value)) return nullptr;
    // The shortest decimal of the float's 9-digit rounding, as "%.9g" wrote
    // it: 0.1f is 0.100000001, not the double's 0.10000000149011612.
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", double(value));
    double rounded = std::strtod(text, nullptr);
    if (rounded == std::floor(rounded) && std::fabs(rounded) < 1e15) return int64_t(rounded);
    return rounded;
}
