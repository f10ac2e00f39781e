#include "platform/window/sdl/application_icon.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t ToByte(float value) { return static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f) + 0.5f); }

}  // namespace

// A shaded sphere: diffuse light from the upper left, a specular highlight,
// and an anti-aliased rim. Small enough to draw at startup, so no image file
// has to ship with the program.
std::vector<uint8_t> DrawApplicationIcon(int size) {
    if (size <= 0) return {};
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4, 0);
    const float radius = size * 0.5f - 1.0f;
    const float centre = size * 0.5f;
    // Light from the upper left, towards the viewer (y grows downward).
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
    const float lengthL = std::sqrt(lx * lx + ly * ly + lz * lz);
    // Half vector between the light and the viewer (0, 0, 1).
    float hx = lx / lengthL, hy = ly / lengthL, hz = lz / lengthL + 1.0f;
    const float lengthH = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= lengthH;
    hy /= lengthH;
    hz /= lengthH;
    const float baseR = 30.0f, baseG = 150.0f, baseB = 215.0f;

    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = (x + 0.5f - centre) / radius;
            float dy = (y + 0.5f - centre) / radius;
            float distance = std::sqrt(dx * dx + dy * dy);
            float coverage = std::clamp((1.0f - distance) * radius + 0.5f, 0.0f, 1.0f);
            if (coverage <= 0.0f) continue;
            float nz = std::sqrt(
                std::max(0.0f, 1.0f - std::min(distance, 1.0f) * std::min(distance, 1.0f)));
            float nx = distance > 1.0f ? dx / distance : dx;
            float ny = distance > 1.0f ? dy / distance : dy;
            float diffuse = std::max(0.0f, (nx * lx + ny * ly + nz * lz) / lengthL);
            float specular = std::pow(std::max(0.0f, nx * hx + ny * hy + nz * hz), 30.0f);
            float shade = 0.22f + 0.78f * diffuse;
            uint8_t* pixel = &pixels[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = ToByte(baseR * shade + 255.0f * specular);
            pixel[1] = ToByte(baseG * shade + 255.0f * specular);
            pixel[2] = ToByte(baseB * shade + 255.0f * specular);
            pixel[3] = ToByte(255.0f * coverage);
        }
    }
    return pixels;
}
