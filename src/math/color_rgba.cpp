#include "math/color_rgba.h"

uint32_t PackColorChannel(float value) {
    // NaN fails both tests below and would make the cast undefined: treat it as 0.
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

uint32_t ColorRGBA::PackARGB() const {
    return PackColorChannel(a) << 24 | PackColorChannel(r) << 16 | PackColorChannel(g) << 8 |
           PackColorChannel(b);
}
