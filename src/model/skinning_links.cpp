// Skinning of the corners that weight links drive: per corner, the weighted
// sum of its bones' skinning matrices, then one affine transform of its
// model-space bind position and normal.
#include <vector>

#include "model/skinning.h"
#include "model/skinning_lanes.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace skinning {
namespace {

// A bone's skinning matrix, inverse bind pose × current pose, as four rows
// of four floats. The w column is not used by the transform and holds -0:
// blended it stays -0, and the AVX2 loop adds it to the normal's lanes,
// which leaves every normal component as it is, signed zeros too.
struct alignas(32) SkinMatrix {
    float m[16];
};

const SkinMatrix* FillSkinMatrices(const LinkedCorners& linked, const Bone* bones, int boneCount) {
    // Grows to the largest skeleton seen and stays: no allocation per frame.
    static thread_local std::vector<SkinMatrix> matrices;
    if (matrices.size() < size_t(boneCount)) matrices.resize(size_t(boneCount));
    for (int b = 0; b < boneCount; ++b) {
        Matrix4 s = MatrixMultiply(linked.inverseBind[size_t(b)], bones[b].absoluteMatrix);
        float* out = matrices[size_t(b)].m;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 3; ++c) out[4 * r + c] = s.m[r][c];
            out[4 * r + 3] = -0.0f;
        }
    }
    return matrices.data();
}

void SkinLinkedScalar(const LinkedCorners& linked, const SkinMatrix* matrices, SkinVertex* out) {
    const Link* links = linked.links.data();
    const uint32_t* start = linked.linkStart.data();
    const SkinVertex* bind = linked.bindPose.data();
    const uint32_t* target = linked.corner.data();
    const size_t count = linked.corner.size();
    for (size_t i = 0; i < count; ++i) {
        const SkinVertex& in = bind[i];
        SkinVertex& o = out[target[i]];
        const Link* link = links + start[i];
        const Link* end = links + start[i + 1];
        if (link == end) {
            o = in;
            continue;
        }
        // m = w0 × S0 + w1 × S1 + ..., added in link order.
        float m[16];
        const float* s = matrices[link->bone].m;
        for (int k = 0; k < 16; ++k) m[k] = link->weight * s[k];
        for (++link; link < end; ++link) {
            s = matrices[link->bone].m;
            for (int k = 0; k < 16; ++k) m[k] = m[k] + link->weight * s[k];
        }
        const Vector3& p = in.position;
        const Vector3& n = in.normal;
        o.position = {((p.x * m[0] + p.y * m[4]) + p.z * m[8]) + m[12],
                      ((p.x * m[1] + p.y * m[5]) + p.z * m[9]) + m[13],
                      ((p.x * m[2] + p.y * m[6]) + p.z * m[10]) + m[14]};
        o.normal = {(n.x * m[0] + n.y * m[4]) + n.z * m[8], (n.x * m[1] + n.y * m[5]) + n.z * m[9],
                    (n.x * m[2] + n.y * m[6]) + n.z * m[10]};
    }
}

#if defined(__x86_64__)

void SkinLinkedSse2(const LinkedCorners& linked, const SkinMatrix* matrices, SkinVertex* out) {
    const Link* links = linked.links.data();
    const uint32_t* start = linked.linkStart.data();
    const SkinVertex* bind = linked.bindPose.data();
    const uint32_t* target = linked.corner.data();
    const size_t count = linked.corner.size();
    for (size_t i = 0; i < count; ++i) {
        const SkinVertex& in = bind[i];
        float* o = &out[target[i]].position.x;
        const Link* link = links + start[i];
        const Link* end = links + start[i + 1];
        if (link == end) {
            out[target[i]] = in;
            continue;
        }
        const float* s = matrices[link->bone].m;
        __m128 w = _mm_set1_ps(link->weight);
        __m128 r0 = _mm_mul_ps(w, _mm_load_ps(s));
        __m128 r1 = _mm_mul_ps(w, _mm_load_ps(s + 4));
        __m128 r2 = _mm_mul_ps(w, _mm_load_ps(s + 8));
        __m128 r3 = _mm_mul_ps(w, _mm_load_ps(s + 12));
        for (++link; link < end; ++link) {
            s = matrices[link->bone].m;
            w = _mm_set1_ps(link->weight);
            r0 = _mm_add_ps(r0, _mm_mul_ps(w, _mm_load_ps(s)));
            r1 = _mm_add_ps(r1, _mm_mul_ps(w, _mm_load_ps(s + 4)));
            r2 = _mm_add_ps(r2, _mm_mul_ps(w, _mm_load_ps(s + 8)));
            r3 = _mm_add_ps(r3, _mm_mul_ps(w, _mm_load_ps(s + 12)));
        }
        const __m128 p = _mm_loadu_ps(&in.position.x);  // px py pz nx
        const __m128 n = _mm_loadu_ps(&in.position.z);  // pz nx ny nz
        __m128 position = _mm_mul_ps(_mm_shuffle_ps(p, p, 0x00), r0);
        position = _mm_add_ps(position, _mm_mul_ps(_mm_shuffle_ps(p, p, 0x55), r1));
        position = _mm_add_ps(position, _mm_mul_ps(_mm_shuffle_ps(p, p, 0xAA), r2));
        position = _mm_add_ps(position, r3);
        __m128 normal = _mm_mul_ps(_mm_shuffle_ps(n, n, 0x55), r0);
        normal = _mm_add_ps(normal, _mm_mul_ps(_mm_shuffle_ps(n, n, 0xAA), r1));
        normal = _mm_add_ps(normal, _mm_mul_ps(_mm_shuffle_ps(n, n, 0xFF), r2));
        StoreCornerSse(o, position, normal);
    }
}

// One corner per 8-lane register: lanes 0-2 the position, 3-5 the normal.
// The blend works on the matrix as two registers (rows 0 and 1, rows 2 and
// 3); the rows are then spread over the lanes. Corners come in runs with
// one link count: a loop of fixed stride per run (unrolled for 1 to 4 links)
// keeps the processor from waiting on each corner's count.
template <int kLinks>
__attribute__((target("avx2"), always_inline)) inline void SkinRunAvx2(const LinkedCorners& linked,
                                                                       const SkinMatrix* matrices,
                                                                       size_t first, size_t last,
                                                                       int count, SkinVertex* out) {
    const __m256i spreadX = _mm256_setr_epi32(0, 0, 0, 3, 3, 3, 0, 0);
    const __m256i spreadY = _mm256_setr_epi32(1, 1, 1, 4, 4, 4, 1, 1);
    const __m256i spreadZ = _mm256_setr_epi32(2, 2, 2, 5, 5, 5, 2, 2);
    const __m256i firstRow = _mm256_setr_epi32(0, 1, 2, 0, 1, 2, 3, 3);
    const __m256i secondRow = _mm256_setr_epi32(4, 5, 6, 4, 5, 6, 7, 7);
    // The translation row for the position, row 2's w (-0) for the normal.
    const __m256i translation = _mm256_setr_epi32(4, 5, 6, 3, 3, 3, 3, 3);
    const int links = kLinks > 0 ? kLinks : count;
    // Plain pointers: the stores through out could otherwise make the
    // compiler load the vectors' data pointers again for every corner.
    const Link* link = linked.links.data() + linked.linkStart[first];
    const SkinVertex* bind = linked.bindPose.data();
    const uint32_t* target = linked.corner.data();
    for (size_t i = first; i < last; ++i, link += links) {
        const __m256 corner = LoadCorner(&bind[i].position.x);
        const float* s = matrices[link[0].bone].m;
        __m256 w = _mm256_set1_ps(link[0].weight);
        __m256 a = _mm256_mul_ps(w, _mm256_load_ps(s));
        __m256 b = _mm256_mul_ps(w, _mm256_load_ps(s + 8));
#pragma GCC unroll 4
        for (int l = 1; l < links; ++l) {
            s = matrices[link[l].bone].m;
            w = _mm256_set1_ps(link[l].weight);
            a = _mm256_add_ps(a, _mm256_mul_ps(w, _mm256_load_ps(s)));
            b = _mm256_add_ps(b, _mm256_mul_ps(w, _mm256_load_ps(s + 8)));
        }
        __m256 r = _mm256_mul_ps(_mm256_permutevar8x32_ps(corner, spreadX),
                                 _mm256_permutevar8x32_ps(a, firstRow));
        r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_permutevar8x32_ps(corner, spreadY),
                                           _mm256_permutevar8x32_ps(a, secondRow)));
        r = _mm256_add_ps(r, _mm256_mul_ps(_mm256_permutevar8x32_ps(corner, spreadZ),
                                           _mm256_permutevar8x32_ps(b, firstRow)));
        r = _mm256_add_ps(r, _mm256_permutevar8x32_ps(b, translation));
        StoreCorner(&out[target[i]].position.x, r);
    }
}

__attribute__((target("avx2"))) void SkinLinkedAvx2(const LinkedCorners& linked,
                                                    const SkinMatrix* matrices, SkinVertex* out) {
    for (size_t k = 1; k < linked.countEnd.size(); ++k) {
        const size_t first = linked.countEnd[k - 1], last = linked.countEnd[k];
        if (first == last) continue;
        switch (k) {
        case 1: SkinRunAvx2<1>(linked, matrices, first, last, 1, out); break;
        case 2: SkinRunAvx2<2>(linked, matrices, first, last, 2, out); break;
        case 3: SkinRunAvx2<3>(linked, matrices, first, last, 3, out); break;
        case 4: SkinRunAvx2<4>(linked, matrices, first, last, 4, out); break;
        default: SkinRunAvx2<0>(linked, matrices, first, last, int(k), out); break;
        }
    }
}

#endif  // __x86_64__

}  // namespace

void SkinLinkedCorners(Path path, const LinkedCorners& linked, const Bone* bones, int boneCount,
                       SkinVertex* out) {
    if (linked.Empty() || !out) return;
    if (!bones || boneCount <= 0 || linked.inverseBind.size() != size_t(boneCount) ||
        linked.boneEnd > boneCount || !linked.IsWhole()) {
        for (size_t i = 0; i < linked.corner.size() && i < linked.bindPose.size(); ++i)
            out[linked.corner[i]] = linked.bindPose[i];
        return;
    }
    const SkinMatrix* matrices = FillSkinMatrices(linked, bones, boneCount);
#if defined(__x86_64__)
    if (path == Path::Avx2 && Supports(Path::Avx2)) {
        SkinLinkedAvx2(linked, matrices, out);
        return;
    }
    if (path != Path::Scalar) {
        SkinLinkedSse2(linked, matrices, out);
        return;
    }
#endif
    (void)path;
    SkinLinkedScalar(linked, matrices, out);
}

void SkinLinkedCorners(const LinkedCorners& linked, const Bone* bones, int boneCount,
                       SkinVertex* out) {
    SkinLinkedCorners(BestPath(), linked, bones, boneCount, out);
}

}  // namespace skinning
