// The per-format decoders behind DecodeImage. Each reads its header, checks
// the size with CheckTextureSize and only then decodes; on failure each
// leaves *image empty and sets error without the format's name (DecodeImage
// adds it).
#pragma once

#include "platform/gfx/image/image.h"

namespace gfx::image {

bool DecodePng(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error);
bool DecodeJpeg(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
                std::string* error);
bool DecodeBmp(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error);
bool DecodeTga(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error);
// True when the bytes start with a TGA header this program reads.
bool LooksLikeTga(const uint8_t* data, size_t size);

// A block for width × height RGBA pixels (sizes already checked); null when
// malloc fails.
uint8_t* AllocatePixels(uint32_t width, uint32_t height);

}  // namespace gfx::image
