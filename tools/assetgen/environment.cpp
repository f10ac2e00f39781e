#include "assetgen/environment.h"

#include <algorithm>
#include <cmath>

#include "assetgen/noise.h"

namespace assetgen {
namespace {

Rgb Mix(const Rgb& a, const Rgb& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb& c, float s) { return {c.r * s, c.g * s, c.b * s}; }

Rgb Add(const Rgb& a, const Rgb& b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

float Smoothstep(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A low afternoon sun, about 14° above the horizon, ahead and to the right
// of the starting view (which looks along +Z).
const Vector3 kSun = Vec3Normalize({0.40f, 0.25f, 0.88f});
const float kSunAzimuth = std::atan2(kSun.x, kSun.z);

const Rgb kZenith{0.20f, 0.40f, 0.76f};
const Rgb kHorizon{0.84f, 0.88f, 0.95f};
const Rgb kHaze{0.86f, 0.89f, 0.95f};
const Rgb kSunGlow{1.00f, 0.72f, 0.42f};

// Height of a mountain range (as the tangent of its elevation) at an azimuth.
// Ridged noise sampled on a circle, so the skyline closes on itself.
struct Range {
    float radius;     // circle radius in noise space: larger = more peaks
    float base;       // height of the foothills
    float amplitude;  // height added by the peaks
    uint32_t seed;
};

const Range kFarRange{1.5f, 0.03f, 0.21f, 101};
const Range kNearRange{0.9f, 0.0f, 0.12f, 211};

float RangeHeight(const Range& range, float azimuth) {
    float x = std::cos(azimuth) * range.radius + 50.0f,
          y = std::sin(azimuth) * range.radius + 50.0f;
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int octave = 0; octave < 6; ++octave) {
        float n = ValueNoise2(x, y, range.seed + static_cast<uint32_t>(octave));
        float ridge = 1.0f - std::fabs(2.0f * n - 1.0f);
        sum += amplitude * ridge * ridge;
        total += amplitude;
        amplitude *= 0.42f;
        x *= 2.03f;
        y *= 2.03f;
    }
    float h = sum / total;
    return range.base +
           range.amplitude * std::pow(std::clamp((h - 0.15f) / 0.65f, 0.0f, 1.0f), 1.4f);
}

Rgb SkyColor(const Vector3& d) {
    float up = std::max(d.y, 0.0f);
    Rgb sky = Mix(kHorizon, kZenith, std::pow(up, 0.55f));
    float toSun = std::max(Vec3Dot(d, kSun), 0.0f);
    // Warm glow around the sun, strongest near the horizon.
    float horizonWeight = std::pow(1.0f - up, 3.0f);
    sky = Add(sky, Scale(kSunGlow,
                         0.30f * std::pow(toSun, 6.0f) + 0.18f * horizonWeight * toSun * toSun));
    // Soft, thin clouds on a plane above the viewer.
    if (d.y > 0.02f) {
        float t = 1.0f / (d.y + 0.12f);
        float c = Fbm2(d.x * t * 1.3f + 3.0f, d.z * t * 1.3f - 7.0f, 5, 0.5f, 7);
        float cover = Smoothstep(0.52f, 0.78f, c) * Smoothstep(0.02f, 0.2f, d.y) * 0.55f;
        Rgb cloud =
            Mix(Rgb{0.97f, 0.97f, 0.99f}, Rgb{1.0f, 0.86f, 0.70f}, 0.6f * std::pow(toSun, 3.0f));
        sky = Mix(sky, cloud, cover);
    }
    // The sun disc and a tight halo.
    float disc = Smoothstep(0.99965f, 0.99985f, toSun);
    sky = Add(sky, Scale(Rgb{1.0f, 0.9f, 0.7f}, 0.5f * std::pow(toSun, 400.0f)));
    sky = Mix(sky, Rgb{1.0f, 0.98f, 0.92f}, disc);
    return sky;
}

// Colour of a range at (azimuth, elevation tangent s), given its height h.
Rgb MountainColor(const Range& range, float azimuth, float s, float h, float haze) {
    // The ridge's slope, taken over a wider span further below the crest, so
    // flanks shade as broad faces rather than in thin columns.
    const float step = 0.01f + 1.5f * std::max(h - s, 0.0f);
    float slope =
        (RangeHeight(range, azimuth + step) - RangeHeight(range, azimuth - step)) / (2.0f * step);
    // A flank rising with the azimuth faces towards smaller azimuths; it is
    // lit when the sun lies on that side. Below the skyline, gullies and
    // spurs (the gradient of ridged 2D noise) break the flank into facets.
    float facing = -slope * std::sin(kSunAzimuth - azimuth);
    auto gullies = [&](float a, float e) {
        float n = Fbm2(a * 28.0f, e * 60.0f, 4, 0.5f, range.seed + 17);
        return 1.0f - std::fabs(2.0f * n - 1.0f);
    };
    float g0 = gullies(azimuth, s);
    float across = (gullies(azimuth + 0.002f, s) - g0) / 0.002f;
    facing += -0.006f * across * std::sin(kSunAzimuth - azimuth) *
              std::copysign(1.0f, kSunAzimuth - azimuth);
    float light = std::clamp(0.6f + 0.9f * facing, 0.0f, 1.0f);
    Rgb snowLit{0.98f, 0.96f, 0.93f}, snowShade{0.55f, 0.63f, 0.80f};
    Rgb color = Mix(snowShade, snowLit, light);
    // Dark rock shows along the sharpest spurs on steep flanks.
    float rock = Smoothstep(0.82f, 0.95f, g0) * Smoothstep(0.1f, 0.4f, std::fabs(slope));
    color = Mix(color, Scale(Rgb{0.34f, 0.35f, 0.42f}, 0.6f + 0.4f * light), rock * 0.7f);
    // Haze: thicker low down and for the far range.
    float low = 1.0f - std::clamp(s / std::max(h, 1e-4f), 0.0f, 1.0f);
    return Mix(color, kHaze, std::clamp(haze + 0.35f * low * low, 0.0f, 1.0f));
}

Rgb SnowFieldColor(const Vector3& d) {
    // The ground is a plane two units below the eye; p is the hit point.
    float t = 2.0f / -d.y;
    float px = d.x * t, pz = d.z * t;
    auto dunes = [](float x, float z) { return Fbm2(x * 0.07f, z * 0.07f, 4, 0.5f, 41); };
    const float e = 0.5f;
    float h = dunes(px, pz);
    float gx = (dunes(px + e, pz) - h) / e, gz = (dunes(px, pz + e) - h) / e;
    // Lambert-like term from the dune slope towards the sun's azimuth.
    float light = std::clamp(0.75f - 10.0f * (gx * kSun.x + gz * kSun.z), 0.0f, 1.0f);
    Rgb color = Mix(Rgb{0.74f, 0.81f, 0.93f}, Rgb{0.99f, 0.98f, 0.96f}, light);
    // Fine wind-blown grain and ripples.
    float grain = Fbm2(px * 2.5f, pz * 1.2f, 4, 0.6f, 43);
    float ripple = 0.5f + 0.5f * std::sin(px * 1.3f + pz * 0.4f +
                                          6.0f * Fbm2(px * 0.2f, pz * 0.2f, 2, 0.5f, 47));
    color = Scale(color, 0.90f + 0.10f * grain + 0.04f * ripple);
    // Detail fades into haze towards the horizon, where it would only alias.
    float detail = Smoothstep(0.0f, 0.30f, -d.y);
    return Mix(kHaze, color, detail);
}

bool NeedsSupersampling(const Vector3& d) {
    float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
    float s = d.y / std::max(horizontal, 1e-6f);
    return (s > -0.01f && s < kFarRange.base + kFarRange.amplitude + 0.01f) ||
           Vec3Dot(d, kSun) > 0.999f;
}

}  // namespace

Vector3 CubeFaceDirection(int face, float u, float v) {
    switch (face) {
    case kPositiveX: return {1.0f, -v, -u};
    case kNegativeX: return {-1.0f, -v, u};
    case kPositiveY: return {u, 1.0f, v};
    case kNegativeY: return {u, -1.0f, -v};
    case kPositiveZ: return {u, -v, 1.0f};
    default: return {-u, -v, -1.0f};
    }
}

Rgb EnvironmentColor(const Vector3& d) {
    float horizontal = std::sqrt(d.x * d.x + d.z * d.z);
    if (d.y < 0.0f) return SnowFieldColor(d);
    float s = horizontal > 1e-6f ? d.y / horizontal : 1e6f;
    float azimuth = std::atan2(d.x, d.z);
    if (s < kNearRange.base + kNearRange.amplitude) {
        float h = RangeHeight(kNearRange, azimuth);
        if (s < h) return MountainColor(kNearRange, azimuth, s, h, 0.12f);
    }
    if (s < kFarRange.base + kFarRange.amplitude) {
        float h = RangeHeight(kFarRange, azimuth);
        if (s < h) return MountainColor(kFarRange, azimuth, s, h, 0.42f);
    }
    return SkyColor(d);
}

CubeMap BuildSnowCubeMap(int size) {
    CubeMap cube;
    for (int face = 0; face < 6; ++face) {
        std::vector<Rgb> level(static_cast<size_t>(size) * size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                float u = (2.0f * static_cast<float>(x) + 1.0f) / static_cast<float>(size) - 1.0f;
                float v = (2.0f * static_cast<float>(y) + 1.0f) / static_cast<float>(size) - 1.0f;
                Vector3 d = Vec3Normalize(CubeFaceDirection(face, u, v));
                Rgb color = EnvironmentColor(d);
                // The skyline and the sun are the only hard edges: there, four
                // samples per texel keep them from stair-stepping.
                if (NeedsSupersampling(d)) {
                    const float quarter = 0.5f / static_cast<float>(size);
                    color = {0, 0, 0};
                    for (float du : {-quarter, quarter})
                        for (float dv : {-quarter, quarter})
                            color = Add(color, Scale(EnvironmentColor(Vec3Normalize(
                                                         CubeFaceDirection(face, u + du, v + dv))),
                                                     0.25f));
                }
                // Clamped before filtering, so every mip level is the plain
                // average of the bytes of the level above.
                level[static_cast<size_t>(y) * size + x] = {std::clamp(color.r, 0.0f, 1.0f),
                                                            std::clamp(color.g, 0.0f, 1.0f),
                                                            std::clamp(color.b, 0.0f, 1.0f)};
            }
        int levelSize = size;
        for (;;) {
            CubeLevel out;
            out.size = levelSize;
            out.bgra.resize(level.size() * 4);
            for (size_t i = 0; i < level.size(); ++i) {
                out.bgra[i * 4 + 0] = ToByte(level[i].b);
                out.bgra[i * 4 + 1] = ToByte(level[i].g);
                out.bgra[i * 4 + 2] = ToByte(level[i].r);
                out.bgra[i * 4 + 3] = 255;
            }
            cube.faces[face].push_back(std::move(out));
            if (levelSize == 1) break;
            int next = levelSize / 2;
            std::vector<Rgb> smaller(static_cast<size_t>(next) * next);
            for (int y = 0; y < next; ++y)
                for (int x = 0; x < next; ++x) {
                    const Rgb& a = level[static_cast<size_t>(2 * y) * levelSize + 2 * x];
                    const Rgb& b = level[static_cast<size_t>(2 * y) * levelSize + 2 * x + 1];
                    const Rgb& c = level[static_cast<size_t>(2 * y + 1) * levelSize + 2 * x];
                    const Rgb& e = level[static_cast<size_t>(2 * y + 1) * levelSize + 2 * x + 1];
                    smaller[static_cast<size_t>(y) * next + x] =
                        Scale(Add(Add(a, b), Add(c, e)), 0.25f);
                }
            level = std::move(smaller);
            levelSize = next;
        }
    }
    return cube;
}

}  // namespace assetgen
