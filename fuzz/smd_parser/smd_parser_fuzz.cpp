// The SMD parser on any bytes, as a reference and as an animation: no read
// outside the input, no crash, and what it returns holds together (indices
// inside their arrays, every keyframe present).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "model/smd/smd_parser.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckBones(const Bone* bones, int count) {
    for (int b = 0; b < count; ++b) {
        Check(bones[b].parentIndex == -1 ||
              (bones[b].parentIndex >= 0 && bones[b].parentIndex < count));
        Check(std::memchr(bones[b].name, 0, sizeof(bones[b].name)) != nullptr);
    }
}

void CheckStatus(const smd::ParseStatus& status, size_t size) {
    if (status.result == SmdLoadResult::Ok) return;
    Check(!status.text.empty());
    Check(status.line >= 0 && size_t(status.line) <= size + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);

    smd::Reference reference;
    smd::ParseStatus status = smd::ParseReference(bytes, &reference);
    CheckStatus(status, size);
    if (status.result == SmdLoadResult::Ok) {
        Check((reference.bones != nullptr) == (reference.boneCount > 0));
        Check((reference.triangles != nullptr) == (reference.triangleCount > 0));
        CheckBones(reference.bones.get(), reference.boneCount);
        for (int t = 0; t < reference.triangleCount; ++t) {
            const MeshTriangle& triangle = reference.triangles[t];
            for (int bone : triangle.boneIndices) Check(bone >= 0 && bone < reference.boneCount);
            Check(triangle.materialIndex >= 0 && triangle.materialIndex < kMaxMaterials);
        }
        Check(reference.materialCount >= 0 && reference.materialCount <= kMaxMaterials);
        // One id per slot, none twice.
        Check(reference.nodeIds.size() == size_t(reference.boneCount));
        // Links: none, or a start per corner and one past the last, rising,
        // bones inside the skeleton, weights above 0 adding up to 1.
        if (!reference.linkStart.empty()) {
            Check(reference.linkStart.size() == size_t(reference.triangleCount) * 3 + 1);
            Check(reference.linkStart.front() == 0 &&
                  reference.linkStart.back() == reference.links.size());
            for (size_t c = 0; c + 1 < reference.linkStart.size(); ++c) {
                Check(reference.linkStart[c] <= reference.linkStart[c + 1]);
                double sum = 0;
                for (uint32_t l = reference.linkStart[c]; l < reference.linkStart[c + 1]; ++l) {
                    const smd::WeightLink& link = reference.links[l];
                    Check(link.bone >= 0 && link.bone < reference.boneCount);
                    Check(link.weight > 0.0f && link.weight <= 1.0f);
                    sum += link.weight;
                }
                Check(reference.linkStart[c] == reference.linkStart[c + 1] ||
                      (sum > 0.9999 && sum < 1.0001));
                // One link of full weight: the corner is that bone's.
                const smd::WeightLink* only = &reference.links[reference.linkStart[c]];
                if (reference.linkStart[c + 1] - reference.linkStart[c] == 1 &&
                    only->weight == 1.0f)
                    Check(reference.triangles[c / 3].boneIndices[c % 3] == only->bone);
            }
        } else {
            Check(reference.links.empty());
        }
    }

    smd::Animation animation;
    status = smd::ParseAnimation(bytes, &animation);
    CheckStatus(status, size);
    if (status.result == SmdLoadResult::Ok) {
        Check(animation.frames.size() == size_t(animation.frameCount));
        for (const auto& frame : animation.frames) {
            Check(frame != nullptr);
            CheckBones(frame.get(), animation.boneCount);
        }
    }
    return 0;
}
