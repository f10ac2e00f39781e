// A material texture encoded in the format its file name asks for: BMP (our
// writer), TGA or PNG (stb_image_write, from Debian's libstb). Characters
// that use more than one format exercise more than one image decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assetgen/image.h"

namespace assetgen {

// ".bmp" 24-bit BMP, ".tga" run-length encoded 24-bit TGA, ".png" 8-bit RGB
// PNG (extension compared without regard to case); empty for any other name
// or an empty image.
std::vector<uint8_t> EncodeTextureFile(const std::string& fileName, const Image8& image);

}  // namespace assetgen
