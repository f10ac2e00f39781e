// Which bones move a corner, and by how much.
//
// A corner without weight links follows the bone of its vertex line's first
// field with full weight. A corner with links follows the linked bones,
// blended by weight (the parser has already given the part the links leave
// under 1 to the first-field bone). The links are read when the parsed
// reference carries them (smd::Reference::linkStart and ::links); with a
// parser that reads no links every corner takes the first-field bone.
#pragma once

#include <vector>

#include "model/smd/parsed_smd.h"

namespace smd2gltf {

struct Influence {
    int bone = 0;  // bone slot of the reference
    float weight = 0.0f;
};

// Sorts by falling weight (ties by bone) and scales the weights to sum to
// 1, the sum taken in the order a renderer adds them.
void NormaliseInfluences(std::vector<Influence>* influences);

// True when the parser hands weight links over with the reference.
template <typename Reference>
constexpr bool kReadsLinks = requires(const Reference& r) {
    r.linkStart.size();
    r.links[0].bone;
    r.links[0].weight;
};

// The influences of corner (3 × triangle + slot, slots in the stored order)
// into *out (emptied first): positive weights only, one entry per bone,
// weights summing to 1, the largest first. A corner whose weights are all
// zero falls back to its first-field bone.
template <typename Reference>
void CornerInfluencesOf(const Reference& reference, int corner, std::vector<Influence>* out) {
    out->clear();
    const int firstField = reference.triangles[corner / 3].boneIndices[corner % 3];
    if constexpr (kReadsLinks<Reference>) {
        if (!reference.linkStart.empty() && size_t(corner) + 1 < reference.linkStart.size()) {
            for (auto i = reference.linkStart[size_t(corner)];
                 i < reference.linkStart[size_t(corner) + 1]; ++i) {
                const auto& link = reference.links[i];
                if (!(link.weight > 0.0f) || link.bone < 0 || link.bone >= reference.boneCount)
                    continue;
                bool merged = false;
                for (Influence& influence : *out)
                    if (influence.bone == link.bone) {
                        influence.weight += link.weight;
                        merged = true;
                    }
                if (!merged) out->push_back({link.bone, link.weight});
            }
        }
    }
    if (out->empty()) {
        out->push_back({firstField, 1.0f});
        return;
    }
    NormaliseInfluences(out);
}

inline void CornerInfluences(const smd::Reference& reference, int corner,
                             std::vector<Influence>* out) {
    CornerInfluencesOf(reference, corner, out);
}

}  // namespace smd2gltf
