#include "assetgen/dds_writer.h"

namespace assetgen {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeCubeDds(const CubeMap& cube) {
    const std::vector<CubeLevel>& first = cube.faces[0];
    if (first.empty() || first[0].size <= 0) return {};
    for (const auto& face : cube.faces) {
        if (face.size() != first.size()) return {};
        for (std::size_t level = 0; level < face.size(); ++level)
            if (face[level].size != first[level].size ||
                face[level].bgra.size() != static_cast<std::size_t>(face[level].size) * face[level].size * 4)
                return {};
    }
    const uint32_t size = static_cast<uint32_t>(first[0].size);
    std::vector<uint8_t> out;
    Put32(out, kDdsMagic);
    // DDS_HEADER
    Put32(out, 124);
    Put32(out, kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPitch | kDdsdPixelFormat | kDdsdMipMapCount);
    Put32(out, size);      // height
    Put32(out, size);      // width
    Put32(out, size * 4);  // pitch of level 0
    Put32(out, 0);         // depth
    Put32(out, static_cast<uint32_t>(first.size()));
    for (int i = 0; i < 11; ++i) Put32(out, 0);  // reserved
    // DDS_PIXELFORMAT: 32-bit RGB with alpha, masks of A8R8G8B8.
    Put32(out, 32);
    Put32(out, kDdpfRgb | kDdpfAlphaPixels);
    Put32(out, 0);  // no FourCC
    Put32(out, 32);
    Put32(out, 0x00FF0000u);
    Put32(out, 0x0000FF00u);
    Put32(out, 0x000000FFu);
    Put32(out, 0xFF000000u);
    Put32(out, kDdsCapsComplex | kDdsCapsTexture | kDdsCapsMipMap);
    Put32(out, kDdsCaps2CubeMap | kDdsCaps2AllFaces);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);  // reserved2
    for (const auto& face : cube.faces)
        for (const auto& level : face) out.insert(out.end(), level.bgra.begin(), level.bgra.end());
    return out;
}

}  // namespace assetgen
