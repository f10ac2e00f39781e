#include "platform/gfx/image/dds.h"

#include <cstring>

namespace gfx::image {

namespace {

constexpr uint32_t kMagic = 0x20534444;  // "DDS "
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;
constexpr size_t kDataStart = 4 + kHeaderSize;

// Header flags.
constexpr uint32_t DDSD_MIPMAPCOUNT = 0x20000;
// Pixel format flags.
constexpr uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr uint32_t DDPF_FOURCC = 0x4;
constexpr uint32_t DDPF_RGB = 0x40;
// Caps2 flags.
constexpr uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr uint32_t DDSCAPS2_CUBEMAP_ALLFACES = 0xFC00;
constexpr uint32_t DDSCAPS2_VOLUME = 0x200000;

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

uint32_t FullChainLength(uint32_t width, uint32_t height) {
    uint32_t edge = width > height ? width : height;
    uint32_t levels = 1;
    while (edge > 1) {
        edge >>= 1;
        ++levels;
    }
    return levels;
}

bool FormatOf(const uint8_t* pf, DdsFormat* format, std::string* error) {
    uint32_t size = ReadU32(pf);
    uint32_t flags = ReadU32(pf + 4);
    uint32_t fourCC = ReadU32(pf + 8);
    uint32_t bits = ReadU32(pf + 12);
    uint32_t r = ReadU32(pf + 16), g = ReadU32(pf + 20), b = ReadU32(pf + 24), a = ReadU32(pf + 28);
    if (size != kPixelFormatSize) return Fail(error, "bad pixel format size");
    if (flags & DDPF_FOURCC) {
        switch (fourCC) {
        case FourCC('D', 'X', 'T', '1'): *format = DdsFormat::DXT1; return true;
        case FourCC('D', 'X', 'T', '3'): *format = DdsFormat::DXT3; return true;
        case FourCC('D', 'X', 'T', '5'): *format = DdsFormat::DXT5; return true;
        // Some writers store D3DFMT numbers in the FourCC field.
        case 21: *format = DdsFormat::A8R8G8B8; return true;
        case 22: *format = DdsFormat::X8R8G8B8; return true;
        case 32: *format = DdsFormat::A8B8G8R8; return true;
        default: return Fail(error, "unsupported FourCC format");
        }
    }
    if ((flags & DDPF_RGB) && bits == 32) {
        bool alpha = (flags & DDPF_ALPHAPIXELS) && a == 0xFF000000u;
        if (r == 0x00FF0000u && g == 0x0000FF00u && b == 0x000000FFu) {
            *format = alpha ? DdsFormat::A8R8G8B8 : DdsFormat::X8R8G8B8;
            return true;
        }
        if (r == 0x000000FFu && g == 0x0000FF00u && b == 0x00FF0000u && alpha) {
            *format = DdsFormat::A8B8G8R8;
            return true;
        }
    }
    return Fail(error, "unsupported pixel format");
}

}  // namespace

bool IsCompressed(DdsFormat format) {
    return format == DdsFormat::DXT1 || format == DdsFormat::DXT3 || format == DdsFormat::DXT5;
}

size_t DdsLevelSize(DdsFormat format, uint32_t width, uint32_t height) {
    if (IsCompressed(format)) {
        size_t blocks = size_t((width + 3) / 4) * size_t((height + 3) / 4);
        return blocks * (format == DdsFormat::DXT1 ? 8 : 16);
    }
    return size_t(width) * size_t(height) * 4;
}

bool ParseDds(const uint8_t* data, size_t size, DdsImage* image, std::string* error) {
    if (!data || !image) return Fail(error, "no data");
    if (size < kDataStart) return Fail(error, "file shorter than the DDS header");
    if (ReadU32(data) != kMagic) return Fail(error, "not a DDS file (bad magic)");
    const uint8_t* h = data + 4;
    if (ReadU32(h) != kHeaderSize) return Fail(error, "bad header size");
    uint32_t flags = ReadU32(h + 4);
    uint32_t height = ReadU32(h + 8);
    uint32_t width = ReadU32(h + 12);
    uint32_t mipCount = ReadU32(h + 24);
    uint32_t caps2 = ReadU32(h + 108);
    if (width == 0 || height == 0) return Fail(error, "zero width or height");
    if (width > kMaxDdsEdge || height > kMaxDdsEdge) return Fail(error, "image too large");
    if (caps2 & DDSCAPS2_VOLUME) return Fail(error, "volume textures are not supported");

    DdsFormat format;
    if (!FormatOf(h + 72, &format, error)) return false;

    uint32_t levels = (flags & DDSD_MIPMAPCOUNT) && mipCount > 0 ? mipCount : 1;
    if (levels > FullChainLength(width, height))
        return Fail(error, "mip count longer than the full chain");

    uint32_t faces = 1;
    bool cube = (caps2 & DDSCAPS2_CUBEMAP) != 0;
    if (cube) {
        if ((caps2 & DDSCAPS2_CUBEMAP_ALLFACES) != DDSCAPS2_CUBEMAP_ALLFACES)
            return Fail(error, "cube map without all six faces");
        if (width != height) return Fail(error, "cube map faces are not square");
        faces = 6;
    }

    std::vector<DdsSpan> spans;
    spans.reserve(size_t(faces) * levels);
    // Sizes are bounded (16384² × 4 × 6 faces × 4/3 < 2^34), so size_t sums cannot wrap.
    size_t offset = kDataStart;
    for (uint32_t face = 0; face < faces; ++face) {
        for (uint32_t level = 0; level < levels; ++level) {
            uint32_t w = width >> level ? width >> level : 1;
            uint32_t hh = height >> level ? height >> level : 1;
            size_t bytes = DdsLevelSize(format, w, hh);
            if (bytes > size - offset) return Fail(error, "file truncated: mip data missing");
            spans.push_back(DdsSpan{offset, bytes, w, hh});
            offset += bytes;
        }
    }

    image->format = format;
    image->width = width;
    image->height = height;
    image->levels = levels;
    image->faces = faces;
    image->cube = cube;
    image->spans = std::move(spans);
    return true;
}

}  // namespace gfx::image
