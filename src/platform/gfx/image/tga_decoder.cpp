// TGA (Truevision) files, read by our own code, for the reasons bmp_decoder.cpp
// gives: stb_image reads zeros past the data's end and skips a colour map's
// first-entry offset as bytes; the format is an 18-byte header, an optional
// colour map and pixels, plain or in run-length packets.
//
// Read: colour-mapped (8- or 16-bit indices into 15-, 16-, 24- or 32-bit
// entries), true-colour (15, 16, 24, 32 bits; 15 and 16 as opaque 5-5-5) and
// grey (8 bits, or 16 as grey and alpha), each plain or run-length; any of
// the four origins.
#include <vector>

#include "platform/gfx/image/image_decoders.h"

namespace gfx::image {

namespace {

constexpr size_t kHeaderBytes = 18;

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

struct Header {
    uint32_t idLength = 0;
    bool mapped = false;
    bool grey = false;
    bool runLength = false;
    uint32_t mapFirst = 0;
    uint32_t mapLength = 0;
    uint32_t mapBits = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
    bool topDown = false;
    bool rightToLeft = false;
};

bool IsColourDepth(uint32_t bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// False, with error set if it is not null, when the bytes cannot be a TGA
// header of a kind read here.
bool ReadHeader(const uint8_t* data, size_t size, Header* h, std::string* error) {
    auto refuse = [error](const char* why) {
        if (error) *error = why;
        return false;
    };
    if (size < kHeaderBytes) return refuse("file shorter than a TGA header");
    const uint32_t mapType = data[1], type = data[2];
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) {
        return refuse(
            "image type not read (colour-mapped, true-colour or grey, plain or run-length)");
    }
    h->mapped = type == 1 || type == 9;
    h->grey = type == 3 || type == 11;
    h->runLength = type >= 9;
    if (mapType != (h->mapped ? 1u : 0u))
        return refuse("colour map type does not fit the image type");
    h->idLength = data[0];
    h->mapFirst = U16(data + 3);
    h->mapLength = U16(data + 5);
    h->mapBits = data[7];
    h->width = U16(data + 12);
    h->height = U16(data + 14);
    h->bits = data[16];
    h->rightToLeft = (data[17] & 0x10) != 0;
    h->topDown = (data[17] & 0x20) != 0;
    if (h->mapped) {
        if (!IsColourDepth(h->mapBits)) return refuse("colour map entries of a size not read");
        if (h->bits != 8 && h->bits != 16) return refuse("colour indices neither 8 nor 16 bits");
        if (h->mapLength == 0) return refuse("empty colour map");
    } else if (h->grey ? (h->bits != 8 && h->bits != 16) : !IsColourDepth(h->bits)) {
        return refuse("bits per pixel not read for this image type");
    }
    return true;
}

// RGBA of a 15- or 16-bit colour (the top bit is not alpha in practice).
void From555(uint32_t v, uint8_t* out) {
    out[0] = uint8_t(((v >> 10) & 31) * 255 / 31);
    out[1] = uint8_t(((v >> 5) & 31) * 255 / 31);
    out[2] = uint8_t((v & 31) * 255 / 31);
    out[3] = 255;
}

// RGBA of a stored true-colour value of `bits` bits.
void FromColour(const uint8_t* p, uint32_t bits, uint8_t* out) {
    if (bits <= 16) return From555(U16(p), out);
    out[0] = p[2], out[1] = p[1], out[2] = p[0];
    out[3] = bits == 32 ? p[3] : 255;
}

// Turns stored pixels into RGBA and places them in file order, honouring the
// origin.
class Writer {
public:
    Writer(const Header& h, const std::vector<uint8_t>& map, uint8_t* pixels)
        : h_(h), map_(map), pixels_(pixels) {}

    bool Done() const { return row_ == h_.height; }

    // Converts one stored pixel at p; false for an index outside the map.
    bool Convert(const uint8_t* p, uint8_t* rgba) const {
        if (h_.mapped) {
            uint32_t index = h_.bits == 8 ? p[0] : U16(p);
            if (index < h_.mapFirst || index - h_.mapFirst >= h_.mapLength) return false;
            const uint8_t* entry = map_.data() + size_t(index - h_.mapFirst) * 4;
            rgba[0] = entry[0], rgba[1] = entry[1], rgba[2] = entry[2], rgba[3] = entry[3];
        } else if (h_.grey) {
            rgba[0] = rgba[1] = rgba[2] = p[0];
            rgba[3] = h_.bits == 16 ? p[1] : 255;
        } else {
            FromColour(p, h_.bits, rgba);
        }
        return true;
    }

    void Put(const uint8_t* rgba) {
        uint32_t y = h_.topDown ? row_ : h_.height - 1 - row_;
        uint32_t x = h_.rightToLeft ? h_.width - 1 - column_ : column_;
        uint8_t* out = pixels_ + (size_t(y) * h_.width + x) * 4;
        out[0] = rgba[0], out[1] = rgba[1], out[2] = rgba[2], out[3] = rgba[3];
        if (++column_ == h_.width) {
            column_ = 0;
            ++row_;
        }
    }

private:
    const Header& h_;
    const std::vector<uint8_t>& map_;
    uint8_t* pixels_;
    uint32_t row_ = 0;
    uint32_t column_ = 0;
};

}  // namespace

bool LooksLikeTga(const uint8_t* data, size_t size) {
    Header h;
    return ReadHeader(data, size, &h, nullptr);
}

bool DecodeTga(const uint8_t* data, size_t size, const TextureLimits& limits, RgbaImage* image,
               std::string* error) {
    Header h;
    if (!ReadHeader(data, size, &h, error)) return false;
    if (!CheckTextureSize(h.width, h.height, 1, uint64_t(h.width) * h.height * 4, limits, error)) {
        return false;
    }
    const uint64_t pixelBytes = (h.bits + 7) / 8;
    const uint64_t entryBytes = (h.mapBits + 7) / 8;
    const uint64_t mapStart = kHeaderBytes + h.idLength;
    const uint64_t dataStart = mapStart + (h.mapped ? h.mapLength * entryBytes : 0);
    const uint64_t count = uint64_t(h.width) * h.height;
    // A run-length packet holds at most 128 pixels in a count byte and one pixel.
    const uint64_t needed =
        h.runLength ? (count + 127) / 128 * (1 + pixelBytes) : count * pixelBytes;
    if (dataStart > size || needed > size - dataStart) {
        *error = "file truncated: " + std::to_string(h.width) + " x " + std::to_string(h.height) +
                 " pixels need at least " + std::to_string(dataStart + needed) +
                 " bytes, the file holds " + std::to_string(size);
        return false;
    }

    std::vector<uint8_t> map;
    if (h.mapped) {
        map.resize(size_t(h.mapLength) * 4);
        for (uint32_t i = 0; i < h.mapLength; ++i) {
            FromColour(data + mapStart + i * entryBytes, h.mapBits, map.data() + size_t(i) * 4);
        }
    }
    uint8_t* pixels = AllocatePixels(h.width, h.height);
    if (!pixels) {
        *error = "out of memory";
        return false;
    }
    image->pixels.reset(pixels);
    image->width = h.width;
    image->height = h.height;

    Writer writer(h, map, pixels);
    const uint8_t* p = data + dataStart;
    const uint8_t* const end = data + size;
    auto fail = [&](const char* why) {
        *error = why;
        *image = RgbaImage();
        return false;
    };
    uint8_t rgba[4] = {};
    while (!writer.Done()) {
        uint32_t run = 1;
        bool repeat = false;
        if (h.runLength) {
            if (p == end) return fail("file truncated in its run-length data");
            run = (*p & 0x7F) + 1u;
            repeat = (*p & 0x80) != 0;
            ++p;
        }
        // A packet may run on into the next row; one that runs past the
        // picture's end is cut there.
        for (uint32_t i = 0; i < run && !writer.Done(); ++i) {
            if (i == 0 || !repeat) {
                if (uint64_t(end - p) < pixelBytes)
                    return fail("file truncated in its run-length data");
                if (!writer.Convert(p, rgba)) return fail("colour index outside the colour map");
                p += pixelBytes;
            }
            writer.Put(rgba);
        }
    }
    return true;
}

}  // namespace gfx::image
