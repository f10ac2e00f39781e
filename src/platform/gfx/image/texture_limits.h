// How large a texture the loaders accept. A file's picture size is read from
// its header and checked here before any pixel is decoded and before any GL
// object is made, so that a few bytes claiming a huge picture cost nothing.
#pragma once

#include <cstdint>
#include <string>

namespace gfx::image {

// Texel bytes of level 0, over all faces, as they go to GL (4 per pixel for
// decoded pictures, the block size for compressed DDS levels). The largest
// texture of our own assets, the sky's cube map, takes 6 MiB; a 4096 × 4096
// picture takes 64 MiB, a cube map of six 2048 × 2048 faces 96 MiB. With the
// file's, the decoder's and GL's copies and the mip chain a texture at this
// limit stays far below the program's memory bound.
constexpr uint64_t kMaxTextureBytes = uint64_t(96) << 20;

struct TextureLimits {
    uint32_t maxEdge = 0;  // the device's largest texture side
    uint64_t maxBytes = kMaxTextureBytes;
};

// True when a width × height texture of `faces` faces, `bytes` bytes of
// level-0 texels in all, is within limits; otherwise false with error saying
// which limit it passes. Zero sizes are refused too.
bool CheckTextureSize(uint32_t width, uint32_t height, uint32_t faces, uint64_t bytes,
                      const TextureLimits& limits, std::string* error);

}  // namespace gfx::image
