// Flat triangles drawn into a square RGBA picture on a transparent
// background: 4 × 4 samples a pixel with a depth test, so that edges are
// smooth at 16 pixels as at 256.
#pragma once

#include <cstdint>
#include <vector>

#include "iconmaker/front_view.h"
#include "platform/gfx/image/image.h"

namespace iconmaker {

inline constexpr int kSamplesPerSide = 4;
// The largest picture drawn: the samples of a 4096-pixel square take 1 GiB.
inline constexpr int kMaxIconSize = 1024;

// size × size pixels (1 .. kMaxIconSize), the unit square of the triangles'
// coordinates filling the picture. A pixel's colour is the mean of its
// covered samples, its alpha the share covered. No pixels when size is out
// of range or memory runs out.
gfx::image::RgbaImage Rasterize(const std::vector<FlatTriangle>& triangles, int size);

// The samples Rasterize would test for the triangles at this size (the sum
// of their boxes): what drawing them costs, known before it starts.
uint64_t SampleWork(const std::vector<FlatTriangle>& triangles, int size);
// Beyond this a picture would take more than seconds; refused.
inline constexpr uint64_t kMaxSampleWork = uint64_t(1) << 30;

// The indices of the triangles that show in the size × size picture.
std::vector<int> ShownTriangles(const std::vector<FlatTriangle>& triangles, int size);

}  // namespace iconmaker
