// DDS cube map writer: legacy 128-byte header (no DX10 extension),
// A8R8G8B8 texels (bytes B, G, R, A), faces +X, −X, +Y, −Y, +Z, −Z, each
// face followed by its whole mip chain.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

struct CubeLevel {
    int size = 0;               // width = height
    std::vector<uint8_t> bgra;  // size × size × 4 bytes, rows top to bottom
};

struct CubeMap {
    std::array<std::vector<CubeLevel>, 6> faces;  // per face: level 0, 1, …
};

// Header flags written, named as the format documents them.
constexpr uint32_t kDdsMagic = 0x20534444u;  // "DDS "
constexpr uint32_t kDdsdCaps = 0x1, kDdsdHeight = 0x2, kDdsdWidth = 0x4, kDdsdPitch = 0x8,
                   kDdsdPixelFormat = 0x1000, kDdsdMipMapCount = 0x20000;
constexpr uint32_t kDdpfAlphaPixels = 0x1, kDdpfRgb = 0x40;
constexpr uint32_t kDdsCapsComplex = 0x8, kDdsCapsTexture = 0x1000, kDdsCapsMipMap = 0x400000;
constexpr uint32_t kDdsCaps2CubeMap = 0x200, kDdsCaps2AllFaces = 0xFC00;

// Encodes a cube map whose six faces have the same square size and the same
// number of levels; returns an empty vector when they do not.
std::vector<uint8_t> EncodeCubeDds(const CubeMap& cube);

}  // namespace assetgen
