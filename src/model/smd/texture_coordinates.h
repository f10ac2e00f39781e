// The texture coordinates of a reference's corners. The parser keeps no u
// and v (only the textured display samples the model's textures), so they
// are read here in a walk over the same lines, cut and scanned by the parser's own
// line reader and number scanner: run on a file the parser has accepted,
// the walk meets the triangles in the parser's order.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace smd {

struct TextureCoordinates {
    // u, v per corner, corners in the parser's order (3 × triangle + slot,
    // the slots holding the file's vertex lines 1, 3, 2); v as the file
    // gives it (0 at the picture's bottom).
    std::vector<float> uv;
    // Corners whose line has no u and v (or not finite ones): given 0, 0.
    int missing = 0;
    int firstMissingLine = 0;
};

// False when the file holds other than triangleCount triangles (it was not
// the file the parser read).
bool ReadTextureCoordinates(std::span<const uint8_t> bytes, int triangleCount,
                            TextureCoordinates* out);

}  // namespace smd
