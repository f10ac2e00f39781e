#include "model/skinning.h"

#include <chrono>
#include <vector>

#include "model/skinning_lanes.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace skinning {

namespace {

// The vector loops divide a position by its w only when w is not exactly
// 1. x / 1 is x for every float x, and what is divided is the result of a
// multiply or an add, never a signalling NaN that the divide would quiet:
// the bytes are those of the divide. A bone made of rotations and
// translations has the w column (0, 0, 0, 1), which gives every finite
// corner w = 1, and the divide is a fifth of a corner's time on some
// processors (AMD Zen 4: 551 against 688 M corners/s, one bone each).
//
// Same arithmetic, in the same order, as Vec3TransformCoord and
// Vec3TransformNormal, inlined.
inline void SkinCorner(const SkinVertex& in, const Matrix4& m, SkinVertex& out) {
    const Vector3& p = in.position;
    const Vector3& n = in.normal;
    float x = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    float y = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    float z = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
    float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    out.position = {x / w, y / w, z / w};
    out.normal = {n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0],
                  n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
                  n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
}

void SkinScalar(const MeshTriangle* triangles, int triangleCount, const Bone* bones, int boneCount,
                SkinVertex* out) {
    for (int t = 0; t < triangleCount; ++t) {
        const MeshTriangle& triangle = triangles[t];
        for (int s = 0; s < 3; ++s, ++out) {
            int bone = triangle.boneIndices[s];
            if (bone < 0 || bone >= boneCount) {
                if (bone != kLinkedCorner) *out = triangle.vertices[s];
            } else {
                SkinCorner(triangle.vertices[s], bones[bone].absoluteMatrix, *out);
            }
        }
    }
}

#if defined(__x86_64__)

// How far ahead of the triangle being skinned its successors are fetched
// into the caches, and from what size of mesh. The processor's own
// prefetcher falls behind once the triangles outgrow the second-level cache
// (32,768 of them take 2.9 MB): on a 2-core Xeon, fetching 32 ahead skinned
// 400k triangles whose corners do not repeat in 10.5-12.3 ms a frame
// instead of 12.5-20.0, and 1M in 15.1-15.8 instead of 18.6-20.0 (32 to 64
// ahead did best, 8 or fewer gave nothing). A smaller mesh gains nothing.
constexpr int kPrefetchTriangles = 32;
constexpr int kPrefetchFromTriangles = 32768;

// Asks for the triangle kPrefetchTriangles after t (near the end, the last).
inline void PrefetchAhead(const MeshTriangle* triangles, int t, int triangleCount) {
    const int ahead =
        t < triangleCount - kPrefetchTriangles ? t + kPrefetchTriangles : triangleCount - 1;
    _mm_prefetch(reinterpret_cast<const char*>(triangles + ahead), _MM_HINT_T0);
}

// One corner in four lanes: position = ((x·r0 + y·r1) + z·r2) + r3, its w in
// lane 3, divided by that w; normal = (x·r0 + y·r1) + z·r2. Written as six
// floats without touching the bytes after them.
inline void SkinCornerSse2(const SkinVertex& in, const Matrix4& m, float* out) {
    const __m128 r0 = _mm_loadu_ps(m.m[0]);
    const __m128 r1 = _mm_loadu_ps(m.m[1]);
    const __m128 r2 = _mm_loadu_ps(m.m[2]);
    const __m128 r3 = _mm_loadu_ps(m.m[3]);
    const __m128 p = _mm_loadu_ps(&in.position.x);  // px py pz nx
    const __m128 n = _mm_loadu_ps(&in.position.z);  // pz nx ny nz
    __m128 position = _mm_mul_ps(_mm_shuffle_ps(p, p, 0x00), r0);
    position = _mm_add_ps(position, _mm_mul_ps(_mm_shuffle_ps(p, p, 0x55), r1));
    position = _mm_add_ps(position, _mm_mul_ps(_mm_shuffle_ps(p, p, 0xAA), r2));
    position = _mm_add_ps(position, r3);
    if ((_mm_movemask_ps(_mm_cmpeq_ps(position, _mm_set1_ps(1.0f))) & 8) == 0)  // w is not 1
        position = _mm_div_ps(position, _mm_shuffle_ps(position, position, 0xFF));
    __m128 normal = _mm_mul_ps(_mm_shuffle_ps(n, n, 0x55), r0);
    normal = _mm_add_ps(normal, _mm_mul_ps(_mm_shuffle_ps(n, n, 0xAA), r1));
    normal = _mm_add_ps(normal, _mm_mul_ps(_mm_shuffle_ps(n, n, 0xFF), r2));
    StoreCornerSse(out, position, normal);
}

template <bool kAhead>
void SkinSse2Loop(const MeshTriangle* triangles, int triangleCount, const Bone* bones,
                  int boneCount, SkinVertex* out) {
    for (int t = 0; t < triangleCount; ++t) {
        const MeshTriangle& triangle = triangles[t];
        if constexpr (kAhead) PrefetchAhead(triangles, t, triangleCount);
        for (int s = 0; s < 3; ++s, ++out) {
            int bone = triangle.boneIndices[s];
            if (bone < 0 || bone >= boneCount) {
                if (bone != kLinkedCorner) *out = triangle.vertices[s];
            } else {
                SkinCornerSse2(triangle.vertices[s], bones[bone].absoluteMatrix, &out->position.x);
            }
        }
    }
}

void SkinSse2(const MeshTriangle* triangles, int triangleCount, const Bone* bones, int boneCount,
              SkinVertex* out) {
    if (triangleCount >= kPrefetchFromTriangles)
        SkinSse2Loop<true>(triangles, triangleCount, bones, boneCount, out);
    else
        SkinSse2Loop<false>(triangles, triangleCount, bones, boneCount, out);
}

// A bone's matrix laid out for one corner per 8-lane register: lanes 0-2
// give the position, 3-5 the normal, 6 the position's w.
struct alignas(32) BoneLanes {
    float row[3][8];     // m[k][0..2], m[k][0..2], m[k][3], 0
    float translate[8];  // m[3][0..2], -0 -0 -0, m[3][3], 0
};

void FillBoneLanes(const Bone* bones, int boneCount, std::vector<BoneLanes>& lanes) {
    if (lanes.size() < size_t(boneCount)) lanes.resize(size_t(boneCount));
    for (int b = 0; b < boneCount; ++b) {
        const Matrix4& m = bones[b].absoluteMatrix;
        BoneLanes& l = lanes[size_t(b)];
        for (int k = 0; k < 3; ++k) {
            const float* r = m.m[k];
            float row[8] = {r[0], r[1], r[2], r[0], r[1], r[2], r[3], 0.0f};
            for (int i = 0; i < 8; ++i) l.row[k][i] = row[i];
        }
        // Adding -0 leaves every normal component as it is, signed zeros too.
        const float* r = m.m[3];
        float translate[8] = {r[0], r[1], r[2], -0.0f, -0.0f, -0.0f, r[3], 0.0f};
        for (int i = 0; i < 8; ++i) l.translate[i] = translate[i];
    }
}

template <bool kAhead>
__attribute__((target("avx2"))) void SkinAvx2Loop(const MeshTriangle* triangles, int triangleCount,
                                                  const BoneLanes* table, int boneCount,
                                                  SkinVertex* out) {
    // Corner [px py pz nx ny nz] spread to x, y, z coefficients per lane.
    const __m256i spreadX = _mm256_setr_epi32(0, 0, 0, 3, 3, 3, 0, 0);
    const __m256i spreadY = _mm256_setr_epi32(1, 1, 1, 4, 4, 4, 1, 1);
    const __m256i spreadZ = _mm256_setr_epi32(2, 2, 2, 5, 5, 5, 2, 2);
    const __m256i spreadW = _mm256_setr_epi32(6, 6, 6, 6, 6, 6, 6, 6);
    const __m256 ones = _mm256_set1_ps(1.0f);

    float* o = &out->position.x;
    for (int t = 0; t < triangleCount; ++t) {
        const MeshTriangle& triangle = triangles[t];
        if constexpr (kAhead) PrefetchAhead(triangles, t, triangleCount);
        for (int s = 0; s < 3; ++s, o += 6) {
            int bone = triangle.boneIndices[s];
            if (bone < 0 || bone >= boneCount) {
                if (bone != kLinkedCorner)
                    StoreCorner(o, LoadCorner(&triangle.vertices[s].position.x));
                continue;
            }
            const BoneLanes& l = table[bone];
            const __m256 corner = LoadCorner(&triangle.vertices[s].position.x);
            __m256 r =
                _mm256_mul_ps(_mm256_permutevar8x32_ps(corner, spreadX), _mm256_load_ps(l.row[0]));
            r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_permutevar8x32_ps(corner, spreadY),
                                               _mm256_load_ps(l.row[1])));
            r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_permutevar8x32_ps(corner, spreadZ),
                                               _mm256_load_ps(l.row[2])));
            r = _mm256_add_ps(r, _mm256_load_ps(l.translate));
            // Divide the position by w, the normal by 1; not at all when w
            // is exactly 1, as it is for every finite corner of a bone made
            // of rotations and translations (see the top of this file).
            if ((_mm256_movemask_ps(_mm256_cmp_ps(r, ones, _CMP_EQ_OQ)) & 0x40) == 0) {
                const __m256 w = _mm256_blend_ps(_mm256_permutevar8x32_ps(r, spreadW), ones, 0xF8);
                r = _mm256_div_ps(r, w);
            }
            StoreCorner(o, r);
        }
    }
}

__attribute__((target("avx2"))) void SkinAvx2(const MeshTriangle* triangles, int triangleCount,
                                              const Bone* bones, int boneCount, SkinVertex* out) {
    // Grows to the largest skeleton seen and stays: no allocation per frame.
    static thread_local std::vector<BoneLanes> lanes;
    FillBoneLanes(bones, boneCount, lanes);
    if (triangleCount >= kPrefetchFromTriangles)
        SkinAvx2Loop<true>(triangles, triangleCount, lanes.data(), boneCount, out);
    else
        SkinAvx2Loop<false>(triangles, triangleCount, lanes.data(), boneCount, out);
}

bool CpuHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#endif  // __x86_64__

}  // namespace

bool Supports(Path path) {
#if defined(__x86_64__)
    static const bool avx2 = CpuHasAvx2();
    return path != Path::Avx2 || avx2;
#else
    return path == Path::Scalar;
#endif
}

namespace {

// The path that skins fastest here, found by timing each one this processor
// runs on a small mesh (1,024 triangles on 32 bones, as a character's
// corners come: runs of a few bones), five rounds each in turn, the best
// round of each compared. Which instructions a processor has says little
// about how fast they are on it; all paths give the same bytes, so the
// choice changes only the time. About 0.2 ms, once.
Path TimedBestPath() {
    constexpr int kBones = 32, kTriangles = 1024, kRounds = 5;
    std::vector<Bone> bones(kBones);
    for (int b = 0; b < kBones; ++b)
        bones[size_t(b)].absoluteMatrix =
            MatrixRotationY(0.1f * float(b)) * MatrixTranslation(0.0f, float(b), 0.5f);
    std::vector<MeshTriangle> triangles(kTriangles);
    for (int t = 0; t < kTriangles; ++t)
        for (int k = 0; k < 3; ++k) {
            triangles[size_t(t)].boneIndices[k] = (t / 16 + k) % kBones;
            triangles[size_t(t)].vertices[k] = {{float(k), float(t % 7), 1.0f}, {0.0f, 1.0f, 0.0f}};
        }
    std::vector<SkinVertex> out(3 * kTriangles);
    std::vector<Path> candidates;
    for (Path path : {Path::Avx2, Path::Sse2})
        if (Supports(path)) candidates.push_back(path);
    if (candidates.size() < 2) return candidates.empty() ? Path::Scalar : candidates[0];
    std::vector<double> best(candidates.size(), 1e30);
    for (int round = 0; round < kRounds + 1; ++round) {
        for (size_t c = 0; c < candidates.size(); ++c) {
            const auto start = std::chrono::steady_clock::now();
            SkinCorners(candidates[c], triangles.data(), kTriangles, bones.data(), kBones,
                        out.data());
            const double took =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (round > 0 && took < best[c]) best[c] = took;  // round 0 warms the caches
        }
    }
    size_t fastest = 0;
    for (size_t c = 1; c < candidates.size(); ++c)
        if (best[c] < best[fastest]) fastest = c;
    return candidates[fastest];
}

}  // namespace

Path BestPath() {
    static const Path best = TimedBestPath();
    return best;
}

const char* PathName(Path path) {
    switch (path) {
    case Path::Scalar: return "scalar";
    case Path::Sse2: return "sse2";
    case Path::Avx2: return "avx2";
    }
    return "?";
}

void SkinCorners(Path path, const MeshTriangle* triangles, int triangleCount, const Bone* bones,
                 int boneCount, SkinVertex* out) {
    if (!triangles || !out || triangleCount <= 0) return;
    if (!bones) boneCount = 0;
#if defined(__x86_64__)
    if (path == Path::Avx2 && Supports(Path::Avx2)) {
        SkinAvx2(triangles, triangleCount, bones, boneCount, out);
        return;
    }
    if (path != Path::Scalar) {
        SkinSse2(triangles, triangleCount, bones, boneCount, out);
        return;
    }
#endif
    (void)path;
    SkinScalar(triangles, triangleCount, bones, boneCount, out);
}

void SkinCorners(const MeshTriangle* triangles, int triangleCount, const Bone* bones, int boneCount,
                 SkinVertex* out) {
    SkinCorners(BestPath(), triangles, triangleCount, bones, boneCount, out);
}

}  // namespace skinning
