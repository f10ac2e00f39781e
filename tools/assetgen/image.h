// Plain 8-bit RGB and float RGB images and the file output shared by the
// writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

// Rows top to bottom, three bytes (R, G, B) per pixel.
struct Image8 {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    void Resize(int w, int h) {
        width = w;
        height = h;
        rgb.assign(static_cast<size_t>(w) * h * 3, 0);
    }
    void Set(int x, int y, Rgb c);
};

// A colour channel in [0, 1] rounded to a byte (clamped).
uint8_t ToByte(float value);

// Writes bytes to path, creating the missing parent folders. On failure
// returns false and puts a message naming the path into error.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace assetgen
