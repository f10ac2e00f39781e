// BMP files (Windows and OS/2 bitmaps), read by our own code.
//
// Why not stb_image, which Debian packages: its BMP reader misplaces the
// palette of OS/2 files and, for any palette shorter than the indices used,
// hands out palette entries it never wrote; it also reads zeros past the end
// of the data, so a 60-byte file can claim a whole 4096 × 4096 picture. The
// format is small: one header, an optional palette or channel masks, rows.
// Here every header field is checked against the file before a pixel is
// written, pixels go straight into the RGBA block that is uploaded, and the
// fuzz target fuzz/image runs this code.
//
// Read: 1, 4 and 8 bits through a palette (entries the file does not hold are
// black), 16 and 32 bits with channel masks (default 5-5-5 and 8-8-8),
// 24 bits; bottom-up and top-down rows. Not read: run-length and embedded
// PNG/JPEG compression.
#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/gfx/image/image_decoders.h"

namespace gfx::image {

namespace {

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

constexpr uint32_t kFileHeader = 14;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

// One channel of a masked pixel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;  // mask >> shift

    explicit Channel(uint32_t m) : mask(m) {
        if (mask) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    uint8_t Of(uint32_t pixel, uint8_t absent) const {
        if (!max) return absent;
        return uint8_t(uint64_t((pixel & mask) >> shift) * 255 / max);
    }
};

struct Header {
    uint32_t size = 0;  // of the info header
    bool core = false;
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;
    uint32_t bits = 0;
    uint32_t compression = kBiRgb;
    uint32_t colours = 0;    // palette entries stated (0: all that the bits allow)
    uint32_t masks[4] = {};  // red, green, blue, alpha
};

bool Refuse(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

bool ReadHeader(const uint8_t* data, size_t size, Header* h, std::string* error) {
    if (size < kFileHeader + 4) return Refuse(error, "file shorter than a BMP header");
    h->size = U32(data + kFileHeader);
    h->core = h->size == 12;
    if (!h->core && h->size != 40 && h->size != 52 && h->size != 56 && h->size != 108 &&
        h->size != 124) {
        return Refuse(error, "info header of " + std::to_string(h->size) +
                                 " bytes, not one of the sizes this program reads");
    }
    if (size < kFileHeader + uint64_t(h->size))
        return Refuse(error, "file shorter than its info header");
    const uint8_t* p = data + kFileHeader;
    if (h->core) {
        h->width = U16(p + 4);
        h->height = U16(p + 6);
        h->bits = U16(p + 10);
        return true;
    }
    int64_t width = int32_t(U32(p + 4));
    int64_t height = int32_t(U32(p + 8));  // negative: rows stored top down
    if (width < 0) return Refuse(error, "negative width");
    h->width = uint32_t(width);
    h->topDown = height < 0;
    h->height = uint32_t(height < 0 ? -height : height);
    h->bits = U16(p + 14);
    h->compression = U32(p + 16);
    h->colours = U32(p + 32);
    // Masks sit in the header from 52 bytes on, or follow a 40-byte header
    // when the compression field says so.
    if (h->size >= 52) {
        for (int i = 0; i < (h->size >= 56 ? 4 : 3); ++i) h->masks[i] = U32(p + 40 + 4 * i);
    }
    return true;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error) {
    Header h;
    if (!ReadHeader(data, size, &h, error)) return false;
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        return Refuse(error, "run-length compressed BMP is not read");
    }
    const bool masked = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (h.compression != kBiRgb && !masked) {
        return Refuse(error, "compression " + std::to_string(h.compression) + " is not read");
    }
    const bool paletted = h.bits == 1 || h.bits == 4 || h.bits == 8;
    if (!paletted && h.bits != 16 && h.bits != 24 && h.bits != 32) {
        return Refuse(error, std::to_string(h.bits) + " bits per pixel is not read");
    }
    if (masked && h.bits != 16 && h.bits != 32) {
        return Refuse(error, "channel masks with " + std::to_string(h.bits) + " bits per pixel");
    }
    if (h.core && (h.bits == 16 || h.bits == 32)) {
        return Refuse(error, std::to_string(h.bits) + " bits per pixel in an OS/2 bitmap");
    }
    if (!CheckTextureSize(h.width, h.height, 1, uint64_t(h.width) * h.height * 4, limits, error)) {
        return false;
    }

    // What follows the info header: masks (40-byte header with bit fields),
    // then the palette, then at the stated offset the rows.
    uint64_t cursor = kFileHeader + uint64_t(h.size);
    if (masked && h.size == 40) {
        const int count = h.compression == kBiAlphaBitfields ? 4 : 3;
        if (size < cursor + 4u * count) return Refuse(error, "file truncated in its channel masks");
        for (int i = 0; i < count; ++i) h.masks[i] = U32(data + cursor + 4 * i);
        cursor += 4u * count;
    }
    if (!masked && h.bits == 16) {
        h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F, h.masks[3] = 0;
    } else if (!masked && h.bits == 32) {
        h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF, h.masks[3] = 0xFF000000;
    }
    if (!masked && h.bits != 16 && h.bits != 32) h.masks[3] = 0;
    const uint64_t dataStart = U32(data + 10);

    uint8_t palette[256][4] = {};  // RGBA; entries the file does not hold are opaque black
    for (auto& entry : palette) entry[3] = 255;
    if (paletted) {
        const uint32_t entryBytes = h.core ? 3 : 4;
        uint64_t entries = h.colours ? h.colours : uint64_t(1) << h.bits;
        if (entries > (uint64_t(1) << h.bits)) entries = uint64_t(1) << h.bits;
        // Some writers state more entries than fit before the rows.
        if (dataStart > cursor)
            entries = std::min<uint64_t>(entries, (dataStart - cursor) / entryBytes);
        if (cursor + entries * entryBytes > size)
            return Refuse(error, "file truncated in its palette");
        for (uint64_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + cursor + i * entryBytes;
            palette[i][0] = e[2], palette[i][1] = e[1], palette[i][2] = e[0], palette[i][3] = 255;
        }
        cursor += entries * entryBytes;
    }
    if (dataStart < cursor) return Refuse(error, "pixel data placed inside the headers");

    const uint64_t rowBytes = (uint64_t(h.width) * h.bits + 31) / 32 * 4;
    const uint64_t lastRow = (uint64_t(h.width) * h.bits + 7) / 8;  // its padding may be missing
    const uint64_t needed = rowBytes * (h.height - 1) + lastRow;
    if (dataStart > size || needed > size - dataStart) {
        return Refuse(error, "file truncated: " + std::to_string(h.width) + " x " +
                                 std::to_string(h.height) + " pixels need " +
                                 std::to_string(dataStart + needed) + " bytes, the file holds " +
                                 std::to_string(size));
    }

    uint8_t* pixels = AllocatePixels(h.width, h.height);
    if (!pixels) return Refuse(error, "out of memory");
    image->pixels.reset(pixels);
    image->width = h.width;
    image->height = h.height;

    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    // 32-bit files without a real alpha channel often leave it zero: a
    // picture whose alpha is zero everywhere is taken as opaque.
    bool anyAlpha = false;
    for (uint32_t y = 0; y < h.height; ++y) {
        const uint8_t* row = data + dataStart + rowBytes * y;
        uint8_t* out = pixels + size_t(h.topDown ? y : h.height - 1 - y) * h.width * 4;
        for (uint32_t x = 0; x < h.width; ++x, out += 4) {
            if (paletted) {
                const uint32_t bit = x * h.bits;
                const uint32_t index =
                    (row[bit / 8] >> (8 - h.bits - bit % 8)) & ((1u << h.bits) - 1);
                std::memcpy(out, palette[index], 4);
            } else if (h.bits == 24) {
                const uint8_t* p = row + size_t(x) * 3;
                out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 255;
            } else {
                const uint32_t v =
                    h.bits == 16 ? U16(row + size_t(x) * 2) : U32(row + size_t(x) * 4);
                out[0] = red.Of(v, 0), out[1] = green.Of(v, 0), out[2] = blue.Of(v, 0);
                out[3] = alpha.Of(v, 255);
                anyAlpha = anyAlpha || out[3] != 0;
            }
        }
    }
    if (alpha.max && !anyAlpha) {
        for (size_t i = 3; i < size_t(h.width) * h.height * 4; i += 4) pixels[i] = 255;
    }
    return true;
}

}  // namespace gfx::image
