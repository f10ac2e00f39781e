#include "iconmaker/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace iconmaker {

namespace {

// Twice the signed area of (a, b, p): which side of the edge a → b p lies on.
float Edge(float ax, float ay, float bx, float by, float px, float py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// A sample exactly on an edge belongs to one of the two triangles that share
// the edge: the one for which it is a top or left edge (inside positive),
// so that shared edges are neither drawn twice nor left open.
bool OwnsEdge(float dx, float dy) {
    return dy < 0.0f || (dy == 0.0f && dx > 0.0f);
}

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
            visit(size_t(sy) * size_t(side) + size_t(sx), (w0 * z[0] + w1 * z[1] + w2 * z[2]) / area);
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

std::vector<int> DrawOrder(const std::vector<FlatTriangle>& triangles, int size) {
    if (size < 1 || size > kMaxIconSize) return {};
    const int side = size * kSamplesPerSide;
    const std::vector<int> owner = NearestTriangles(triangles, side);
    const size_t count = triangles.size();
    std::vector<bool> visible(count, false);
    for (int t : owner)
        if (t >= 0) visible[size_t(t)] = true;

    // (t, u) once for each sample of t that u hides: t must come before u.
    std::vector<std::pair<int, int>> before;
    for (size_t t = 0; t < count; ++t) {
        if (!visible[t]) continue;
        ForEachSample(triangles[t], side, [&](size_t at, float) {
            if (owner[at] != int(t)) before.emplace_back(int(t), owner[at]);
        });
    }
    std::sort(before.begin(), before.end());

    // Greedy: next comes the triangle that the triangles still to be drawn
    // hide least of (none, when there is no cycle), the farthest of equals.
    // When meshes pass through each other (t hides part of u and u part of
    // t), the order that covers the fewest samples wrongly wins.
    std::vector<int64_t> hiddenByWaiting(count, 0);
    for (const auto& [t, u] : before) ++hiddenByWaiting[size_t(u)];
    auto meanDepth = [&](int t) {
        const FlatTriangle& flat = triangles[size_t(t)];
        return flat.depth[0] + flat.depth[1] + flat.depth[2];
    };
    std::vector<int> waiting;
    for (size_t t = 0; t < count; ++t)
        if (visible[t]) waiting.push_back(int(t));
    std::vector<int> order;
    while (!waiting.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < waiting.size(); ++i) {
            int64_t a = hiddenByWaiting[size_t(waiting[i])], b = hiddenByWaiting[size_t(waiting[best])];
            if (a < b || (a == b && meanDepth(waiting[i]) > meanDepth(waiting[best]))) best = i;
        }
        int next = waiting[best];
        waiting.erase(waiting.begin() + std::ptrdiff_t(best));
        order.push_back(next);
        auto first = std::lower_bound(before.begin(), before.end(), std::make_pair(next, INT32_MIN));
        for (auto edge = first; edge != before.end() && edge->first == next; ++edge)
            --hiddenByWaiting[size_t(edge->second)];
    }
    return order;
}

}  // namespace iconmaker
