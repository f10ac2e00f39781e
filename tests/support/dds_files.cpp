#include "support/dds_files.h"

namespace rrtest {

namespace {

// One texel (uncompressed) or one 4×4 block (compressed) of a solid colour.
std::vector<uint8_t> Unit(DdsFormat format, Rgba c) {
    switch (format) {
    case DdsFormat::A8R8G8B8: return {c.b, c.g, c.r, c.a};
    case DdsFormat::X8R8G8B8: return {c.b, c.g, c.r, 0};
    case DdsFormat::A8B8G8R8: return {c.r, c.g, c.b, c.a};
    default: break;
    }
    std::vector<uint8_t> block;
    if (format == DdsFormat::DXT3) block.insert(block.end(), 8, 0xFF);  // 4-bit alphas, all opaque
    if (format == DdsFormat::DXT5) block.insert(block.end(), {0xFF, 0xFF, 0, 0, 0, 0, 0, 0});
    auto colour = uint16_t((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
    // colour0 > colour1 selects four-colour mode in DXT1; indices 0 pick colour0.
    uint16_t other = colour == 0 ? 0 : uint16_t(colour - 1);
    block.insert(block.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(other),
                               uint8_t(other >> 8), 0, 0, 0, 0});
    return block;
}

}  // namespace

std::vector<uint8_t> DdsLevel(DdsFormat format, uint32_t width, uint32_t height, Rgba top,
                              Rgba bottom) {
    std::vector<uint8_t> out;
    if (assetgen::IsBlockCompressed(format)) {
        std::vector<uint8_t> unit = Unit(format, top);
        size_t blocks = assetgen::DdsLevelBytes(format, width, height) / unit.size();
        for (size_t i = 0; i < blocks; ++i) out.insert(out.end(), unit.begin(), unit.end());
        return out;
    }
    for (uint32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> unit = Unit(format, y < height / 2 || height == 1 ? top : bottom);
        for (uint32_t x = 0; x < width; ++x) out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

std::vector<uint8_t> SolidDds(DdsFormat format, uint32_t width, uint32_t height, uint32_t levels,
                              const std::vector<std::vector<Rgba>>& colours) {
    std::vector<uint8_t> out =
        assetgen::EncodeDdsHeader(format, width, height, levels, colours.size() == 6);
    for (const auto& face : colours) {
        for (uint32_t level = 0; level < levels; ++level) {
            uint32_t w = width >> level ? width >> level : 1;
            uint32_t h = height >> level ? height >> level : 1;
            Rgba colour = face[level % face.size()];
            std::vector<uint8_t> data = DdsLevel(format, w, h, colour, colour);
            out.insert(out.end(), data.begin(), data.end());
        }
    }
    return out;
}

std::vector<uint8_t> StandInTexture() {
    return SolidDds(DdsFormat::A8R8G8B8, 1, 1, 1, {{{128, 128, 128, 255}}});
}

std::vector<uint8_t> StandInCubeMap() {
    return SolidDds(DdsFormat::A8R8G8B8, 1, 1, 1, {6, {{128, 128, 128, 255}}});
}

}  // namespace rrtest
