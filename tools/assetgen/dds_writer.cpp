#include "assetgen/dds_writer.h"

namespace assetgen {
namespace {

// Header flags, named as the format documents them.
constexpr uint32_t kDdsMagic = 0x20534444u;  // "DDS "
constexpr uint32_t kDdsdCaps = 0x1, kDdsdHeight = 0x2, kDdsdWidth = 0x4, kDdsdPitch = 0x8,
                   kDdsdPixelFormat = 0x1000, kDdsdMipMapCount = 0x20000, kDdsdLinearSize = 0x80000;
constexpr uint32_t kDdpfAlphaPixels = 0x1, kDdpfFourCc = 0x4, kDdpfRgb = 0x40;
constexpr uint32_t kDdsCapsComplex = 0x8, kDdsCapsTexture = 0x1000, kDdsCapsMipMap = 0x400000;
constexpr uint32_t kDdsCaps2CubeMap = 0x200, kDdsCaps2AllFaces = 0xFC00;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t FourCc(const char (&code)[5]) {
    return uint32_t(uint8_t(code[0])) | uint32_t(uint8_t(code[1])) << 8 |
           uint32_t(uint8_t(code[2])) << 16 | uint32_t(uint8_t(code[3])) << 24;
}

}  // namespace

bool IsBlockCompressed(DdsFormat format) {
    return format == DdsFormat::DXT1 || format == DdsFormat::DXT3 || format == DdsFormat::DXT5;
}

size_t DdsLevelBytes(DdsFormat format, uint32_t width, uint32_t height) {
    if (!IsBlockCompressed(format)) return size_t(width) * height * 4;
    size_t blocks = size_t((width + 3) / 4) * ((height + 3) / 4);
    return blocks * (format == DdsFormat::DXT1 ? 8 : 16);
}

std::vector<uint8_t> EncodeDdsHeader(DdsFormat format, uint32_t width, uint32_t height,
                                     uint32_t levels, bool cube) {
    const bool compressed = IsBlockCompressed(format);
    const bool mips = levels > 1;
    std::vector<uint8_t> out;
    Put32(out, kDdsMagic);
    // DDS_HEADER
    Put32(out, 124);
    Put32(out, kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPixelFormat |
                   (compressed ? kDdsdLinearSize : kDdsdPitch) | (mips ? kDdsdMipMapCount : 0));
    Put32(out, height);
    Put32(out, width);
    // Row pitch of level 0, or its size for block-compressed formats.
    Put32(out, compressed ? uint32_t(DdsLevelBytes(format, width, height)) : width * 4);
    Put32(out, 0);  // depth
    Put32(out, levels);
    for (int i = 0; i < 11; ++i) Put32(out, 0);  // reserved
    // DDS_PIXELFORMAT: size, flags, FourCC, bit count, R, G, B, A masks.
    Put32(out, 32);
    switch (format) {
    case DdsFormat::A8R8G8B8:
        for (uint32_t v :
             {kDdpfRgb | kDdpfAlphaPixels, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u})
            Put32(out, v);
        break;
    case DdsFormat::X8R8G8B8:
        for (uint32_t v : {kDdpfRgb, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0u}) Put32(out, v);
        break;
    case DdsFormat::A8B8G8R8:
        for (uint32_t v :
             {kDdpfRgb | kDdpfAlphaPixels, 0u, 32u, 0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u})
            Put32(out, v);
        break;
    case DdsFormat::DXT1:
    case DdsFormat::DXT3:
    case DdsFormat::DXT5:
        Put32(out, kDdpfFourCc);
        Put32(out, FourCc(format == DdsFormat::DXT1   ? "DXT1"
                          : format == DdsFormat::DXT3 ? "DXT3"
                                                      : "DXT5"));
        for (int i = 0; i < 5; ++i) Put32(out, 0);
        break;
    }
    Put32(out, kDdsCapsTexture | (mips ? kDdsCapsComplex | kDdsCapsMipMap : 0) |
                   (cube ? kDdsCapsComplex : 0));
    Put32(out, cube ? kDdsCaps2CubeMap | kDdsCaps2AllFaces : 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);  // reserved2
    return out;
}

std::vector<uint8_t> EncodeCubeDds(const CubeMap& cube) {
    const std::vector<CubeLevel>& first = cube.faces[0];
    if (first.empty() || first[0].size <= 0) return {};
    for (const auto& face : cube.faces) {
        if (face.size() != first.size()) return {};
        for (std::size_t level = 0; level < face.size(); ++level)
            if (face[level].size != first[level].size ||
                face[level].bgra.size() !=
                    static_cast<std::size_t>(face[level].size) * face[level].size * 4)
                return {};
    }
    const uint32_t size = static_cast<uint32_t>(first[0].size);
    std::vector<uint8_t> out =
        EncodeDdsHeader(DdsFormat::A8R8G8B8, size, size, static_cast<uint32_t>(first.size()), true);
    for (const auto& face : cube.faces)
        for (const auto& level : face) out.insert(out.end(), level.bgra.begin(), level.bgra.end());
    return out;
}

}  // namespace assetgen
