// Picture files in memory, decoded to 8-bit RGBA for a texture.
//
// Which decoder reads which format, and why:
//   PNG   libpng (png_decoder.cpp): Debian's package, fuzzed upstream without
//         pause; its own header read gives the size before a row is inflated.
//   JPEG  libjpeg-turbo (jpeg_decoder.cpp): the same, and it decodes straight
//         into RGBA rows.
//   BMP, TGA  readers of our own (bmp_decoder.cpp, tga_decoder.cpp), fuzzed
//         here (fuzz/image). stb_image, the packaged alternative, reads past
//         the data it was given as zeros, misplaces OS/2 palettes and hands
//         out palette entries it never wrote; both formats are a header, an
//         optional palette and rows, a few hundred lines with every field
//         checked against the file.
//   DDS   our own reader (dds.h): Debian packages none.
// Nothing else (GIF, PSD, PNM, HDR, ...) is read: textures do not come in
// those formats, and each reader compiled in is one more to trust.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gfx/image/texture_limits.h"

namespace gfx::image {

enum class ImageFormat { Unknown, Dds, Png, Jpeg, Bmp, Tga };

// The format the bytes are in, by their signature (TGA, which has none, by
// a plausible header). Unknown for anything else.
ImageFormat FormatOf(const uint8_t* data, size_t size);

// True when the bytes start with the DDS magic.
bool LooksLikeDds(const uint8_t* data, size_t size);

struct FreePixels {
    void operator()(uint8_t* pixels) const { std::free(pixels); }
};

// An 8-bit RGBA picture, rows top to bottom, in one malloc'd block that the
// decoder wrote and the texture upload reads.
struct RgbaImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint8_t[], FreePixels> pixels;  // width × height × 4 bytes
};

// Decodes PNG, JPEG, BMP or TGA bytes. The picture's size is read from the
// header and checked against limits first; the pixels are then decoded once,
// into the block handed back. False, with *image emptied and a reason that
// names the format, for anything else.
bool DecodeImage(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
                 std::string* error);

}  // namespace gfx::image
