#include "platform/gfx/image/image.h"

#include <cstring>

#include "platform/gfx/image/image_decoders.h"

namespace gfx::image {

namespace {

bool StartsWith(const uint8_t* data, size_t size, const char* signature, size_t length) {
    return size >= length && std::memcmp(data, signature, length) == 0;
}

}  // namespace

bool LooksLikeDds(const uint8_t* data, size_t size) { return StartsWith(data, size, "DDS ", 4); }

ImageFormat FormatOf(const uint8_t* data, size_t size) {
    if (!data) return ImageFormat::Unknown;
    if (LooksLikeDds(data, size)) return ImageFormat::Dds;
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return ImageFormat::Png;
    if (StartsWith(data, size, "\xff\xd8\xff", 3)) return ImageFormat::Jpeg;
    if (StartsWith(data, size, "BM", 2)) return ImageFormat::Bmp;
    // A TGA's second byte (colour map type 0 or 1) can start none of the
    // signatures above, so the order cannot hide a TGA.
    if (LooksLikeTga(data, size)) return ImageFormat::Tga;
    return ImageFormat::Unknown;
}

uint8_t* AllocatePixels(uint32_t width, uint32_t height) {
    return static_cast<uint8_t*>(std::malloc(size_t(width) * height * 4));
}

bool DecodeImage(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
                 std::string* error) {
    *image = RgbaImage();
    std::string why;
    bool decoded = false;
    const char* name = "";
    switch (FormatOf(data, size)) {
    case ImageFormat::Png:
        name = "PNG";
        decoded = DecodePng(data, size, limits, image, &why);
        break;
    case ImageFormat::Jpeg:
        name = "JPEG";
        decoded = DecodeJpeg(data, size, limits, image, &why);
        break;
    case ImageFormat::Bmp:
        name = "BMP";
        decoded = DecodeBmp(data, size, limits, image, &why);
        break;
    case ImageFormat::Tga:
        name = "TGA";
        decoded = DecodeTga(data, size, limits, image, &why);
        break;
    case ImageFormat::Dds: why = "a DDS file, which is not decoded to RGBA"; break;
    case ImageFormat::Unknown:
        why = size == 0 ? "empty file" : "not a BMP, TGA, PNG, JPEG or DDS file";
        break;
    }
    if (decoded) return true;
    *image = RgbaImage();
    if (error) *error = *name ? std::string(name) + ": " + why : why;
    return false;
}

}  // namespace gfx::image
