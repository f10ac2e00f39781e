// 8-bit RGBA pictures encoded as PNG in memory, by libpng: RGB when every
// pixel is opaque, RGBA otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/image/image.h"

namespace smd2gltf {

// False, with error set, when libpng refuses (not expected for a picture
// the decoders made) or memory runs out.
bool EncodePng(const gfx::image::RgbaImage& image, std::vector<uint8_t>* png, std::string* error);

}  // namespace smd2gltf
