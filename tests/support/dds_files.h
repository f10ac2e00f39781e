// DDS files of solid colours for tests, written with the generator's DDS
// writer (tools/assetgen/dds_writer.h).
#pragma once

#include <cstdint>
#include <vector>

#include "assetgen/dds_writer.h"

namespace rrtest {

using assetgen::DdsFormat;

struct Rgba {
    uint8_t r, g, b, a;
};

// One level of width × height texels: top in the upper half of the rows,
// bottom in the lower half (a one-row level is all top). Block-compressed
// levels are all top.
std::vector<uint8_t> DdsLevel(DdsFormat format, uint32_t width, uint32_t height, Rgba top,
                              Rgba bottom);

// A whole file: colours.size() faces (1 for a 2D texture, 6 for a cube
// map) of levels levels, level l of face f in colours[f][l % colours[f].size()].
std::vector<uint8_t> SolidDds(DdsFormat format, uint32_t width, uint32_t height, uint32_t levels,
                              const std::vector<std::vector<Rgba>>& colours);

// The smallest files every device makes a texture of, for tests whose
// texture files only stand in: one grey texel, and six for a cube map.
std::vector<uint8_t> StandInTexture();
std::vector<uint8_t> StandInCubeMap();

}  // namespace rrtest
