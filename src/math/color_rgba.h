// Four-float colour and its packing into a 32-bit ARGB value.
#pragma once

#include <cstdint>

struct ColorRGBA {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    // Each channel clamped to 0..1, times 255, plus 0.5, truncated;
    // the result is alpha << 24 | red << 16 | green << 8 | blue.
    uint32_t PackARGB() const;
};

// One channel as packed by ColorRGBA::PackARGB.
uint32_t PackColorChannel(float value);
