// The DDS writer: legacy 128-byte header (no DX10 extension), 2D textures and
// cube maps with all six faces (+X, −X, +Y, −Y, +Z, −Z, each followed by its
// whole mip chain), uncompressed 32-bit texels or DXT blocks. The generator
// writes the snow cube map with it; the tests write their textures with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen {

// Texel layouts, named as Direct3D names them: A8R8G8B8 is bytes B, G, R, A;
// X8R8G8B8 the same with the fourth byte unused; A8B8G8R8 bytes R, G, B, A.
enum class DdsFormat { A8R8G8B8, X8R8G8B8, A8B8G8R8, DXT1, DXT3, DXT5 };

bool IsBlockCompressed(DdsFormat format);
// Bytes of one level of width × height texels.
size_t DdsLevelBytes(DdsFormat format, uint32_t width, uint32_t height);

// The file's first 128 bytes (magic and header) for levels levels of a
// width × height picture, a cube map when cube is set. The levels' bytes
// follow it, face by face.
std::vector<uint8_t> EncodeDdsHeader(DdsFormat format, uint32_t width, uint32_t height,
                                     uint32_t levels, bool cube);

struct CubeLevel {
    int size = 0;               // width = height
    std::vector<uint8_t> bgra;  // size × size × 4 bytes, rows top to bottom
};

struct CubeMap {
    std::array<std::vector<CubeLevel>, 6> faces;  // per face: level 0, 1, …
};

// Encodes an A8R8G8B8 cube map whose six faces have the same square size and
// the same number of levels; returns an empty vector when they do not.
std::vector<uint8_t> EncodeCubeDds(const CubeMap& cube);

}  // namespace assetgen
