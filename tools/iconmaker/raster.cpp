#include "iconmaker/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace iconmaker {

namespace {

// Twice the signed area of (a, b, p): which side of the edge a → b p lies on.
float Edge(float ax, float ay, float bx, float by, float px, float py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// A sample exactly on an edge belongs to one of the two triangles that share
// the edge: the one for which it is a top or left edge (inside positive),
// so that shared edges are neither drawn twice nor left open.
bool OwnsEdge(float dx, float dy) { return dy < 0.0f || (dy == 0.0f && dx > 0.0f); }

// Calls visit(sample index, depth) for each sample of a side × side grid
// that the triangle covers.
template <typename Visit>
void ForEachSample(const FlatTriangle& flat, int side, Visit visit) {
    float x[3], y[3], z[3];
    for (int k = 0; k < 3; ++k) {
        x[k] = flat.x[k] * float(side);
        y[k] = flat.y[k] * float(side);
        z[k] = flat.depth[k];
    }
    float area = Edge(x[0], y[0], x[1], y[1], x[2], y[2]);
    if (!(std::fabs(area) > 0.0f) || !std::isfinite(area)) return;
    if (area < 0.0f) {  // corners turned so that the inside is positive
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        std::swap(z[1], z[2]);
        area = -area;
    }
    // The box of samples to test, clamped to the grid (in float first: a
    // corner far outside must not overflow an int).
    float limit = float(side - 1);
    int left = int(std::clamp(std::floor(std::min({x[0], x[1], x[2]})), 0.0f, limit));
    int right = int(std::clamp(std::ceil(std::max({x[0], x[1], x[2]})), 0.0f, limit));
    int top = int(std::clamp(std::floor(std::min({y[0], y[1], y[2]})), 0.0f, limit));
    int bottom = int(std::clamp(std::ceil(std::max({y[0], y[1], y[2]})), 0.0f, limit));
    for (int sy = top; sy <= bottom; ++sy) {
        float py = float(sy) + 0.5f;
        for (int sx = left; sx <= right; ++sx) {
            float px = float(sx) + 0.5f;
            float w0 = Edge(x[1], y[1], x[2], y[2], px, py);
            float w1 = Edge(x[2], y[2], x[0], y[0], px, py);
            float w2 = Edge(x[0], y[0], x[1], y[1], px, py);
            if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
            if ((w0 == 0.0f && !OwnsEdge(x[2] - x[1], y[2] - y[1])) ||
                (w1 == 0.0f && !OwnsEdge(x[0] - x[2], y[0] - y[2])) ||
                (w2 == 0.0f && !OwnsEdge(x[1] - x[0], y[1] - y[0])))
                continue;
            float depth = (w0 * z[0] + w1 * z[1] + w2 * z[2]) / area;
            visit(size_t(sy) * size_t(side) + size_t(sx), depth);
        }
    }
}

// The nearest triangle at each sample of a side × side grid (−1 for none).
std::vector<int> NearestTriangles(const std::vector<FlatTriangle>& triangles, int side) {
    const size_t sampleCount = size_t(side) * size_t(side);
    std::vector<float> depth(sampleCount, INFINITY);
    std::vector<int> owner(sampleCount, -1);
    for (size_t t = 0; t < triangles.size(); ++t) {
        ForEachSample(triangles[t], side, [&](size_t at, float sampleDepth) {
            if (sampleDepth < depth[at]) {
                depth[at] = sampleDepth;
                owner[at] = int(t);
            }
        });
    }
    return owner;
}

}  // namespace

gfx::image::RgbaImage Rasterize(const std::vector<FlatTriangle>& triangles, int size) {
    gfx::image::RgbaImage image;
    if (size < 1 || size > kMaxIconSize) return image;
    const int side = size * kSamplesPerSide;
    const std::vector<int> owner = NearestTriangles(triangles, side);

    const size_t bytes = size_t(size) * size_t(size) * 4;
    image.pixels.reset(static_cast<uint8_t*>(std::calloc(bytes, 1)));
    if (!image.pixels) return image;
    image.width = uint32_t(size);
    image.height = uint32_t(size);
    constexpr int kSamples = kSamplesPerSide * kSamplesPerSide;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            int covered = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSamplesPerSide; ++sy) {
                for (int sx = 0; sx < kSamplesPerSide; ++sx) {
                    size_t at = size_t(py * kSamplesPerSide + sy) * size_t(side) +
                                size_t(px * kSamplesPerSide + sx);
                    if (owner[at] < 0) continue;
                    const Rgb& colour = triangles[size_t(owner[at])].colour;
                    ++covered;
                    r += colour.r;
                    g += colour.g;
                    b += colour.b;
                }
            }
            if (covered == 0) continue;
            uint8_t* pixel = image.pixels.get() + (size_t(py) * size_t(size) + size_t(px)) * 4;
            pixel[0] = uint8_t((r + covered / 2) / covered);
            pixel[1] = uint8_t((g + covered / 2) / covered);
            pixel[2] = uint8_t((b + covered / 2) / covered);
            pixel[3] = uint8_t((covered * 255 + kSamples / 2) / kSamples);
        }
    }
    return image;
}

uint64_t SampleWork(const std::vector<FlatTriangle>& triangles, int size) {
    const float side = float(size) * float(kSamplesPerSide);
    uint64_t work = 0;
    for (const FlatTriangle& flat : triangles) {
        auto extent = [side](const float* v) {
            float low = std::clamp(std::min({v[0], v[1], v[2]}) * side, 0.0f, side);
            float high = std::clamp(std::max({v[0], v[1], v[2]}) * side, 0.0f, side);
            return uint64_t(high - low) + 2;
        };
        work += extent(flat.x) * extent(flat.y);
    }
    return work;
}

std::vector<int> ShownTriangles(const std::vector<FlatTriangle>& triangles, int size) {
    if (size < 1 || size > kMaxIconSize) return {};
    std::vector<bool> shown(triangles.size(), false);
    for (int t : NearestTriangles(triangles, size * kSamplesPerSide))
        if (t >= 0) shown[size_t(t)] = true;
    std::vector<int> list;
    for (size_t t = 0; t < shown.size(); ++t)
        if (shown[t]) list.push_back(int(t));
    return list;
}

}  // namespace iconmaker
