// Value noise and fractal sums of it, from an integer hash: the same numbers
// on every run and every machine with IEEE floats, which keeps the generated
// files byte-identical between builds.
#pragma once

#include <cstdint>

namespace assetgen {

// A well-mixed 32-bit hash of three lattice coordinates and a seed.
uint32_t HashLattice(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Smooth value noise in [0, 1] over a 2D or 3D lattice of unit spacing.
float ValueNoise2(float x, float y, uint32_t seed);
float ValueNoise3(float x, float y, float z, uint32_t seed);

// Fractal sums normalised to [0, 1]: each octave doubles the frequency and
// multiplies the amplitude by gain.
float Fbm2(float x, float y, int octaves, float gain, uint32_t seed);
float Fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed);

}  // namespace assetgen
