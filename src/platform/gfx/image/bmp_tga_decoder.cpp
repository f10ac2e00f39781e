// BMP and TGA: our header read, then stb_image's decoder.
//
// stb_image is compiled here with only its BMP and TGA readers, its functions
// private to this file (so the other formats of the packaged library are
// never reached). stb checks little before it decodes: it takes any size up
// to its own limit and reads zeros past the end of the data. So the header is
// read here first: the size must pass CheckTextureSize, the layout must be one
// stb reads, and the file must hold every byte of pixel data the header
// promises (for run-length TGA, the fewest bytes that many pixels can take).
// A header that claims a large picture in a small file is refused before
// any pixel memory is taken.
#include <climits>
#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// Above any size CheckTextureSize lets through: stb's own check never decides.
#define STBI_MAX_DIMENSIONS (1 << 16)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb_image.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include "platform/gfx/image/image_decoders.h"

namespace gfx::image {

namespace {

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// The header fields the checks need.
struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t dataStart = 0;  // first byte of pixel data
    uint64_t dataBytes = 0;  // the fewest bytes of pixel data the picture can take
};

bool Refuse(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

// BITMAPFILEHEADER, then an OS/2 core header (12 bytes) or a Windows info
// header (40, 56, 108 or 124 bytes: the sizes stb reads).
bool ReadBmpLayout(const uint8_t* data, size_t size, Layout* layout, std::string* error) {
    if (size < 18) return Refuse(error, "file shorter than a BMP header");
    const uint32_t headerSize = U32(data + 14);
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
        return Refuse(error, "info header of " + std::to_string(headerSize) + " bytes is not one this program reads");
    }
    if (size < 14 + uint64_t(headerSize)) return Refuse(error, "file shorter than its info header");
    const uint8_t* h = data + 14;
    int64_t width, height;
    uint32_t bits, compression = 0;
    if (core) {
        width = U16(h + 4);
        height = U16(h + 6);
        bits = U16(h + 10);
    } else {
        width = int32_t(U32(h + 4));
        height = int32_t(U32(h + 8));  // negative: rows stored top down
        bits = U16(h + 14);
        compression = U32(h + 16);
    }
    if (compression == 1 || compression == 2) return Refuse(error, "run-length compressed BMP is not read");
    if (compression != 0 && compression != 3) {
        return Refuse(error, "compression " + std::to_string(compression) + " is not read");
    }
    const bool bitsOk = core ? (bits == 1 || bits == 4 || bits == 8 || bits == 24)
                             : compression == 3 ? (bits == 16 || bits == 32)
                                                : (bits == 1 || bits == 4 || bits == 8 || bits == 16 ||
                                                   bits == 24 || bits == 32);
    if (!bitsOk) return Refuse(error, std::to_string(bits) + " bits per pixel is not read");
    if (width < 0) return Refuse(error, "negative width");
    layout->width = uint32_t(width);
    layout->height = uint32_t(height < 0 ? -height : height);
    // Bit-field masks follow a 40-byte header.
    uint64_t headersEnd = 14 + uint64_t(headerSize) + (headerSize == 40 && compression == 3 ? 12 : 0);
    layout->dataStart = U32(data + 10);
    if (layout->dataStart < headersEnd) return Refuse(error, "pixel data placed inside the headers");
    if (bits < 16) {
        // A palette between the headers and the data: 1 to 256 entries of
        // 3 (core) or 4 bytes.
        uint64_t entries = (layout->dataStart - headersEnd) / (core ? 3 : 4);
        if (entries == 0 || entries > 256) return Refuse(error, "palette missing or larger than 256 colours");
    }
    // Rows padded to 4 bytes; the last row's padding may be missing.
    uint64_t rowBytes = (uint64_t(layout->width) * bits + 31) / 32 * 4;
    uint64_t lastRow = (uint64_t(layout->width) * bits + 7) / 8;
    layout->dataBytes = layout->height ? rowBytes * (layout->height - 1) + lastRow : 0;
    return true;
}

// The 18-byte TGA header. Returns false without a message when the bytes
// cannot be a TGA of a kind stb reads, so that FormatOf can ask.
bool ReadTgaLayout(const uint8_t* data, size_t size, Layout* layout, std::string* error) {
    auto refuse = [&](const char* why) { return error ? Refuse(error, why) : false; };
    if (size < 18) return refuse("file shorter than a TGA header");
    const uint32_t idLength = data[0], mapType = data[1], type = data[2];
    const uint32_t mapFirst = U16(data + 3), mapLength = U16(data + 5), mapBits = data[7];
    const uint32_t bits = data[16];
    const bool mapped = type == 1 || type == 9;
    const bool grey = type == 3 || type == 11;
    const bool rle = type >= 9;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) {
        return refuse("image type not read (colour-mapped, true-colour or grey, plain or run-length)");
    }
    if (mapType != (mapped ? 1u : 0u)) return refuse("colour map type does not fit the image type");
    uint64_t mapBytes = 0;
    if (mapped) {
        if (mapBits != 8 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) {
            return refuse("colour map entries of a size not read");
        }
        if (bits != 8 && bits != 16) return refuse("colour map indices neither 8 nor 16 bits");
        // stb skips a first-entry offset as bytes, not entries: only 0 is read right.
        if (mapFirst != 0 || mapLength == 0) return refuse("colour map not starting at entry 0, or empty");
        mapBytes = uint64_t(mapLength) * ((mapBits + 7) / 8);
    } else if (grey ? (bits != 8 && bits != 16)
                    : (bits != 15 && bits != 16 && bits != 24 && bits != 32)) {
        return refuse("bits per pixel not read for this image type");
    }
    layout->width = U16(data + 12);
    layout->height = U16(data + 14);
    layout->dataStart = 18 + uint64_t(idLength) + mapBytes;
    const uint64_t pixels = uint64_t(layout->width) * layout->height;
    const uint64_t pixelBytes = (bits + 7) / 8;
    // A run-length packet covers at most 128 pixels with one count byte and one pixel.
    layout->dataBytes = rle ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    return true;
}

bool DecodeWithStb(const uint8_t* data, size_t size, const Layout& layout,
                   const TextureLimits& limits, RgbaImage* image, std::string* error) {
    if (!CheckTextureSize(layout.width, layout.height, 1, uint64_t(layout.width) * layout.height * 4,
                          limits, error)) {
        return false;
    }
    if (layout.dataStart > size || layout.dataBytes > size - layout.dataStart) {
        return Refuse(error, "file truncated: " + std::to_string(layout.width) + " x " +
                                 std::to_string(layout.height) + " pixels need " +
                                 std::to_string(layout.dataStart + layout.dataBytes) +
                                 " bytes, the file holds " + std::to_string(size));
    }
    if (size > size_t(INT_MAX)) return Refuse(error, "file too large");
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, int(size), &width, &height, &channels, 4);
    if (!pixels) return Refuse(error, stbi_failure_reason());
    if (uint32_t(width) != layout.width || uint32_t(height) != layout.height) {
        stbi_image_free(pixels);
        return Refuse(error, "decoded size differs from the header's");
    }
    image->width = layout.width;
    image->height = layout.height;
    image->pixels.reset(pixels);
    return true;
}

}  // namespace

bool LooksLikeTga(const uint8_t* data, size_t size) {
    Layout layout;
    return ReadTgaLayout(data, size, &layout, nullptr);
}

bool DecodeBmp(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error) {
    Layout layout;
    return ReadBmpLayout(data, size, &layout, error) &&
           DecodeWithStb(data, size, layout, limits, image, error);
}

bool DecodeTga(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error) {
    Layout layout;
    return ReadTgaLayout(data, size, &layout, error) &&
           DecodeWithStb(data, size, layout, limits, image, error);
}

}  // namespace gfx::image
