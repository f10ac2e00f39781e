// Uncompressed 24-bit BMP (BITMAPFILEHEADER + BITMAPINFOHEADER, bottom-up
// rows padded to four bytes), the format every image reader accepts.
#pragma once

#include <cstdint>
#include <vector>

#include "assetgen/image.h"

namespace assetgen {

std::vector<uint8_t> EncodeBmp24(const Image8& image);

}  // namespace assetgen
