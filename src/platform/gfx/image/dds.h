// Reader of DDS files (the legacy 128-byte header): pure CPU parsing into a
// plain description of where each face's mip levels lie in the file's bytes.
//
// Written by hand because Debian packages no DDS library. Only the formats
// the program's assets use are accepted: A8R8G8B8, X8R8G8B8, A8B8G8R8, DXT1,
// DXT3, DXT5; 2D textures and complete cube maps. Every size and count in the
// header is checked against the data before any span is handed out, so a
// caller that reads only within the spans never reads past the file's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gfx::image {

enum class DdsFormat : uint32_t {
    A8R8G8B8,  // bytes B, G, R, A per pixel
    X8R8G8B8,  // bytes B, G, R, unused
    A8B8G8R8,  // bytes R, G, B, A
    DXT1,      // 8-byte 4×4 blocks
    DXT3,      // 16-byte 4×4 blocks, explicit alpha
    DXT5,      // 16-byte 4×4 blocks, interpolated alpha
};

// One mip level of one face: its pixel size and its bytes in the file.
struct DdsSpan {
    size_t offset = 0;  // from the start of the file
    size_t size = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

struct DdsImage {
    DdsFormat format = DdsFormat::A8R8G8B8;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levels = 0;  // mip levels per face, at least 1
    uint32_t faces = 0;   // 1, or 6 for a cube map
    bool cube = false;
    // faces × levels spans, face-major: spans[face * levels + level]. Cube
    // faces come in the file's order +X, −X, +Y, −Y, +Z, −Z.
    std::vector<DdsSpan> spans;

    const DdsSpan& Span(uint32_t face, uint32_t level) const {
        return spans[face * levels + level];
    }
};

// Largest edge accepted; larger files are refused before any arithmetic on them.
constexpr uint32_t kMaxDdsEdge = 16384;

// True for a compressed (block) format.
bool IsCompressed(DdsFormat format);
// Bytes of one level of width × height pixels in the format.
size_t DdsLevelSize(DdsFormat format, uint32_t width, uint32_t height);

// Parses size bytes of a DDS file. On failure returns false, leaves *image
// unspecified and, if error is not null, says why.
bool ParseDds(const uint8_t* data, size_t size, DdsImage* image, std::string* error);

}  // namespace gfx::image
