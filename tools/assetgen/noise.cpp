#include "assetgen/noise.h"

#include <cmath>

namespace assetgen {
namespace {

float Quintic(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

float LatticeValue(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    return static_cast<float>(HashLattice(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

}  // namespace

uint32_t HashLattice(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    // Final avalanche (the murmur3 finaliser).
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

float ValueNoise2(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    float tx = Quintic(x - fx), ty = Quintic(y - fy);
    float a = Lerp(LatticeValue(ix, iy, 0, seed), LatticeValue(ix + 1, iy, 0, seed), tx);
    float b = Lerp(LatticeValue(ix, iy + 1, 0, seed), LatticeValue(ix + 1, iy + 1, 0, seed), tx);
    return Lerp(a, b, ty);
}

float ValueNoise3(float x, float y, float z, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy),
            iz = static_cast<int32_t>(fz);
    float tx = Quintic(x - fx), ty = Quintic(y - fy), tz = Quintic(z - fz);
    float plane[2];
    for (int k = 0; k < 2; ++k) {
        float a =
            Lerp(LatticeValue(ix, iy, iz + k, seed), LatticeValue(ix + 1, iy, iz + k, seed), tx);
        float b = Lerp(LatticeValue(ix, iy + 1, iz + k, seed),
                       LatticeValue(ix + 1, iy + 1, iz + k, seed), tx);
        plane[k] = Lerp(a, b, ty);
    }
    return Lerp(plane[0], plane[1], tz);
}

float Fbm2(float x, float y, int octaves, float gain, uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * ValueNoise2(x, y, seed + static_cast<uint32_t>(i));
        total += amplitude;
        amplitude *= gain;
        // Doubling plus a small shear keeps the octaves' lattices from lining up.
        float nx = 2.0f * x + 0.37f * y + 17.1f, ny = 2.0f * y - 0.37f * x + 5.3f;
        x = nx;
        y = ny;
    }
    return sum / total;
}

float Fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * ValueNoise3(x, y, z, seed + static_cast<uint32_t>(i));
        total += amplitude;
        amplitude *= gain;
        x = 2.0f * x + 17.1f;
        y = 2.0f * y + 5.3f;
        z = 2.0f * z + 11.7f;
    }
    return sum / total;
}

}  // namespace assetgen
