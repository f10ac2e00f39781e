#include "model/shared_corners.h"

#include <cstring>

#include "model/skinning.h"

namespace skinning {

namespace {

// A corner as skinning reads it: its bone and its six floats, compared by
// their bytes (so -0 and 0, or two NaNs with different bits, stay apart).
struct CornerKey {
    int bone;
    SkinVertex vertex;
};

bool SameCorner(const CornerKey& a, const CornerKey& b) {
    return a.bone == b.bone && std::memcmp(&a.vertex, &b.vertex, sizeof(SkinVertex)) == 0;
}

uint32_t HashCorner(const CornerKey& key) {
    uint32_t words[7];
    std::memcpy(words, &key.bone, sizeof(int));
    std::memcpy(words + 1, &key.vertex, sizeof(SkinVertex));
    uint32_t h = 2166136261u;
    for (uint32_t w : words) h = (h ^ w) * 16777619u;
    // A multiply moves a difference only upwards (two corners that differ in
    // a sign bit differ only in the top bit here): mixed down before the
    // low bits pick the slot.
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

// Copying a corner costs about a third of skinning one: below this share of
// repeats the table is not worth its memory.
constexpr double kMinRepeatShare = 0.25;

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
    std::vector<CornerKey> keys;
    keys.reserve(corners / 4);
    table.source.resize(corners);
    for (size_t c = 0; c < corners; ++c) {
        const MeshTriangle& triangle = triangles[c / 3];
        const CornerKey key{triangle.boneIndices[c % 3], triangle.vertices[c % 3]};
        uint32_t& slot = recent[HashCorner(key) & (kSlots - 1)];
        if (slot == UINT32_MAX || !SameCorner(keys[slot], key)) {
            slot = uint32_t(keys.size());
            keys.push_back(key);
        }
        table.source[c] = slot;
    }
    if (double(corners - keys.size()) < kMinRepeatShare * double(corners)) return {};

    table.distinct.resize((keys.size() + 2) / 3);
    for (MeshTriangle& entry : table.distinct)
        for (int& bone : entry.boneIndices) bone = kLinkedCorner;
    for (size_t d = 0; d < keys.size(); ++d) {
        table.distinct[d / 3].boneIndices[d % 3] = keys[d].bone;
        table.distinct[d / 3].vertices[d % 3] = keys[d].vertex;
    }
    table.skinned.assign(table.distinct.size() * 3, SkinVertex{});
    return table;
}

void SharedCorners::Skin(const Bone* bones, int boneCount, SkinVertex* out) const {
    SkinCorners(distinct.data(), int(distinct.size()), bones, boneCount, skinned.data());
    const SkinVertex* from = skinned.data();
    const uint32_t* index = source.data();
    for (size_t c = 0, n = source.size(); c < n; ++c) out[c] = from[index[c]];
}

}  // namespace skinning
