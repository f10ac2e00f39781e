// Picture files written byte by byte for tests: BMP and TGA in every layout
// the readers take, PNG chunk by chunk, JPEG by stb's writer. Header-only so
// that the decoder tests and the hostile-file table share it.
#pragma once

#include <stb_image_write.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace picturetest {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// The bytes with a little-endian value of `bytes` bytes written at offset.
inline Bytes Patched(Bytes file, size_t offset, uint32_t value, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) file[offset + size_t(i)] = uint8_t(value >> (8 * i));
    return file;
}

// A BMP of width × |height| pixels: `stored` holds the raw pixel values
// (palette indices or packed colours) in file order, packed at `bits` per
// pixel. `inHeader` fills the info header from byte 40 on (masks of V2+
// headers); `tables` follows the info header (palette entries or masks).
inline Bytes Bmp(uint32_t infoSize, uint16_t bits, uint32_t width, int32_t height,
                 uint32_t compression, const Bytes& tables, const std::vector<uint32_t>& stored,
                 const std::vector<uint32_t>& inHeader = {}) {
    Bytes file = {'B', 'M'}, info;
    Put(info, infoSize, 4);
    const int sizeBytes = infoSize == 12 ? 2 : 4;
    Put(info, width, sizeBytes), Put(info, uint32_t(height), sizeBytes);
    Put(info, 1, 2), Put(info, bits, 2);
    if (infoSize != 12) {
        Put(info, compression, 4);
        info.resize(40, 0);
        for (uint32_t v : inHeader) Put(info, v, 4);
        info.resize(infoSize, 0);
    }
    const uint32_t offset = 14 + uint32_t(info.size() + tables.size());
    const size_t rowBytes = (width * bits + 31) / 32 * 4;
    Bytes rows;
    for (size_t row = 0; row * width < stored.size(); ++row) {
        Bytes line(rowBytes, 0);
        for (size_t x = 0; x < width; ++x) {
            uint32_t v = stored[row * width + x];
            if (bits < 8) line[x * bits / 8] |= uint8_t(v << (8 - bits - x * bits % 8));
            for (int b = 0; b < bits / 8; ++b)
                line[x * bits / 8 + size_t(b)] = uint8_t(v >> (8 * b));
        }
        rows.insert(rows.end(), line.begin(), line.end());
    }
    Put(file, offset + uint32_t(rows.size()), 4), Put(file, 0, 4), Put(file, offset, 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), tables.begin(), tables.end());
    file.insert(file.end(), rows.begin(), rows.end());
    return file;
}

// A TGA of 2 × 2 pixels: image type, bits per pixel, descriptor (origin
// bits), the stored pixels and an optional colour map.
inline Bytes Tga(uint8_t type, uint8_t bits, uint8_t descriptor, const Bytes& pixels,
                 uint16_t mapLength = 0, uint8_t mapBits = 0, const Bytes& map = {}) {
    Bytes file = {0, uint8_t(mapLength ? 1 : 0), type};
    Put(file, 0, 2), Put(file, mapLength, 2), file.push_back(mapBits);
    Put(file, 0, 4), Put(file, 2, 2), Put(file, 2, 2), file.push_back(bits),
        file.push_back(descriptor);
    file.insert(file.end(), map.begin(), map.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

// A PNG signature, IHDR, then the chunks as given.
inline Bytes PngChunks(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour,
                       const std::vector<std::pair<std::string, Bytes>>& chunks) {
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const std::string& type, const Bytes& data) {
        for (int i = 3; i >= 0; --i) file.push_back(uint8_t(data.size() >> (8 * i)));
        Bytes body(type.begin(), type.end());
        body.insert(body.end(), data.begin(), data.end());
        file.insert(file.end(), body.begin(), body.end());
        uint32_t crc = uint32_t(crc32(0, body.data(), uInt(body.size())));
        for (int i = 3; i >= 0; --i) file.push_back(uint8_t(crc >> (8 * i)));
    };
    Bytes ihdr;
    for (uint32_t v : {width, height})
        for (int i = 3; i >= 0; --i) ihdr.push_back(uint8_t(v >> (8 * i)));
    ihdr.insert(ihdr.end(), {depth, colour, 0, 0, 0});
    chunk("IHDR", ihdr);
    for (const auto& [type, data] : chunks) chunk(type, data);
    return file;
}

// A whole PNG from raw scanlines (filter bytes included); `extra` chunks
// come before the image data.
inline Bytes Png(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour,
                 const Bytes& scanlines, std::vector<std::pair<std::string, Bytes>> extra = {}) {
    extra.push_back({"IDAT", Deflate(scanlines)});
    extra.push_back({"IEND", {}});
    return PngChunks(width, height, depth, colour, extra);
}

// A baseline JPEG of one grey level (200) by stb's writer.
inline Bytes Jpeg(int components, int width = 16, int height = 16) {
    Bytes pixels(size_t(width) * size_t(height) * size_t(components), 200), file;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<Bytes*>(context);
            out->insert(out->end(), static_cast<uint8_t*>(data),
                        static_cast<uint8_t*>(data) + size);
        },
        &file, width, height, components, pixels.data(), 95);
    return file;
}

// The JPEG with its frame header claiming width × height (the data stays
// that of the original picture).
inline Bytes JpegClaiming(Bytes jpeg, uint16_t width, uint16_t height) {
    for (size_t i = 2; i + 8 < jpeg.size(); i += 2 + size_t(jpeg[i + 2] << 8 | jpeg[i + 3])) {
        if (jpeg[i + 1] != 0xC0) continue;
        jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
        jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
        break;
    }
    return jpeg;
}

}  // namespace picturetest
