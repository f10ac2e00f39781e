#include "model/shared_corners.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "model/skinning.h"

namespace skinning {

namespace {

// A corner as skinning reads it: its bone and the bits of its six floats,
// compared as bits (so -0 and 0, or two NaNs with different payloads, stay
// apart).
struct CornerKey {
    uint32_t words[7];

    CornerKey(int bone, const SkinVertex& vertex) {
        std::memcpy(words, &bone, sizeof bone);
        static_assert(sizeof(SkinVertex) == 6 * sizeof(uint32_t), "six floats");
        std::memcpy(words + 1, &vertex, sizeof vertex);
    }
    bool operator==(const CornerKey& other) const {
        for (int i = 0; i < 7; ++i)
            if (words[i] != other.words[i]) return false;
        return true;
    }
};

CornerKey KeyOf(const std::vector<MeshTriangle>& distinct, uint32_t index) {
    const MeshTriangle& entry = distinct[index / 3];
    return {entry.boneIndices[index % 3], entry.vertices[index % 3]};
}

uint32_t HashCorner(const CornerKey& key) {
    uint32_t h = 2166136261u;
    for (uint32_t w : key.words) h = (h ^ w) * 16777619u;
    // A multiply moves a difference only upwards (two corners that differ in
    // a sign bit differ only in the top bit here): mixed down before the
    // low bits pick the slot.
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

// Copying a corner costs up to about 0.6 of skinning one (when the buffers
// outgrow the caches): with fewer repeats than this the table does not pay.
constexpr double kMinRepeatShare = 0.5;

// Whether count distinct corners among corners repeat enough.
bool Pays(size_t corners, size_t count) {
    return double(corners - count) >= kMinRepeatShare * double(corners);
}

// The corners looked at before deciding whether the rest are worth a table.
constexpr size_t kSampleCorners = 3 * 8192;

// Outputs this large are written with streaming stores, which do not read
// the lines they fill into the caches first (the buffer is not read back).
constexpr size_t kStreamBytes = size_t(8) << 20;

}  // namespace

SharedCorners ShareCorners(const MeshTriangle* triangles, int triangleCount) {
    SharedCorners table;
    if (!triangles || triangleCount <= 0) return table;
    const size_t corners = size_t(triangleCount) * 3;
    // The distinct corner last seen with each hash: a repeat further back
    // than the slots reach becomes a distinct corner of its own (more work,
    // the same result).
    constexpr uint32_t kSlots = 1u << 16;
    std::vector<uint32_t> recent(kSlots, UINT32_MAX);
    std::vector<MeshTriangle>& distinct = table.distinct;
    uint32_t count = 0;
    table.source.resize(corners);
    for (size_t c = 0; c < corners; ++c) {
        const int bone = triangles[c / 3].boneIndices[c % 3];
        const SkinVertex& vertex = triangles[c / 3].vertices[c % 3];
        const CornerKey key{bone, vertex};
        uint32_t& slot = recent[HashCorner(key) & (kSlots - 1)];
        if (slot == UINT32_MAX || !(KeyOf(distinct, slot) == key)) {
            if (count % 3 == 0) {
                distinct.emplace_back();
                for (int& bone : distinct.back().boneIndices) bone = kLinkedCorner;
            }
            distinct.back().boneIndices[count % 3] = bone;
            distinct.back().vertices[count % 3] = vertex;
            slot = count++;
        }
        table.source[c] = slot;
        // A mesh whose first corners hardly repeat is taken to go on so: it
        // is skinned corner by corner, without building the whole table first.
        if (c + 1 == kSampleCorners && !Pays(c + 1, count)) return {};
    }
    if (!Pays(corners, count)) return {};
    distinct.shrink_to_fit();
    table.skinned.assign(distinct.size() * 3, SkinVertex{});
    return table;
}

void SharedCorners::Skin(const Bone* bones, int boneCount, SkinVertex* out) const {
    SkinCorners(distinct.data(), int(distinct.size()), bones, boneCount, skinned.data());
    const SkinVertex* from = skinned.data();
    const uint32_t* index = source.data();
    const size_t n = source.size();
    size_t c = 0;
#if defined(__x86_64__)
    if (n * sizeof(SkinVertex) >= kStreamBytes) {
        // 24-byte corners: out + c is 16-byte aligned every second corner
        // once it is at one (never when out is not 8-byte aligned).
        if ((reinterpret_cast<uintptr_t>(out) & 15) != 0 && n > 0) {
            out[0] = from[index[0]];
            c = 1;
        }
        if ((reinterpret_cast<uintptr_t>(out + c) & 15) == 0) {
            for (; c + 2 <= n; c += 2) {
                const float* a = &from[index[c]].position.x;
                const float* b = &from[index[c + 1]].position.x;
                float* o = &out[c].position.x;
                const __m128 first = _mm_loadu_ps(a);  // a0 a1 a2 a3
                const __m128 middle = _mm_loadh_pi(    // a4 a5 b0 b1
                    _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(a + 4))),
                    reinterpret_cast<const __m64*>(b));
                const __m128 last = _mm_loadu_ps(b + 2);  // b2 b3 b4 b5
                _mm_stream_ps(o, first);
                _mm_stream_ps(o + 4, middle);
                _mm_stream_ps(o + 8, last);
            }
            _mm_sfence();
        }
    }
#endif
    for (; c < n; ++c) out[c] = from[index[c]];
}

}  // namespace skinning
