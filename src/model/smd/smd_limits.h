// Fixed sizes of the SMD format as the loaders read it.
#pragma once

namespace smd {

// A line is read 255 characters at a time; the rest of a longer line is skipped.
constexpr int kLineCut = 255;
// First words (keywords, material names) and node names keep 79 characters.
constexpr int kWordCut = 79;
// Counts beyond this are refused: the vertex buffer length (72 bytes per
// triangle) and the arrays sized from the counts stay far from overflow.
constexpr int kMaxCount = 1 << 24;

}  // namespace smd

// The material table: 128 names of at most 79 characters.
constexpr int kMaxMaterials = 128;
constexpr int kMaterialNameSize = 80;
