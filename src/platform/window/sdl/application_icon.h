// The program's window icon, drawn in code: a lit sphere.
#pragma once

#include <cstdint>
#include <vector>

// size x size pixels, 4 bytes each in R, G, B, A order, rows top first.
// The area outside the sphere is transparent.
std::vector<uint8_t> DrawApplicationIcon(int size);
