// Image files in memory: BMP/TGA/PNG/JPEG decoded by stb_image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gfx::image {

// True when the bytes start with the DDS magic.
bool LooksLikeDds(const uint8_t* data, size_t size);

// An 8-bit RGBA picture, rows top to bottom.
struct RgbaImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;  // width × height × 4
};

// Decodes BMP, TGA, PNG or JPEG bytes; false and a reason for anything else.
bool DecodeImage(const uint8_t* data, size_t size, RgbaImage* image, std::string* error);

}  // namespace gfx::image
