#include "scene/model_bounds.h"

#include <algorithm>
#include <vector>

#include "model/skinned_model.h"

void WidenBox(const Vector3& p, bool* found, Vector3* low, Vector3* high) {
    if (!*found) {
        *low = *high = p;
        *found = true;
    }
    *low = Vector3(std::min(low->x, p.x), std::min(low->y, p.y), std::min(low->z, p.z));
    *high = Vector3(std::max(high->x, p.x), std::max(high->y, p.y), std::max(high->z, p.z));
}

bool ModelWorldBounds(const SkinnedModel& model, int clipIndex, const Matrix4& world,
                      Vector3* boxMin, Vector3* boxMax) {
    const AnimationClip* clip = nullptr;
    if (clipIndex >= 0 && clipIndex < model.clipCount && model.clips[clipIndex].frames &&
        model.clips[clipIndex].frameCount > 0)
        clip = &model.clips[clipIndex];

    bool found = false;
    Vector3 low, high;
    std::vector<Bone> bones;
    std::vector<SkinVertex> corners;
    for (int m = 0; m < model.meshCount; ++m) {
        const ModelMesh& mesh = model.meshes[m];
        if (!mesh.triangles || mesh.triangleCount <= 0) continue;
        bones.assign(mesh.bones, mesh.bones + std::max(mesh.boneCount, 0));
        if (clip) {
            for (int b = 0; b < mesh.boneCount; ++b) {
                int source = clip->SourceBone(m, b);
                if (source >= 0)
                    bones[size_t(b)].absoluteMatrix = clip->frames[0][source].absoluteMatrix;
            }
        }
        corners.resize(size_t(mesh.triangleCount) * 3);
        mesh.SkinCorners(bones.data(), corners.data());
        for (const SkinVertex& corner : corners)
            WidenBox(Vec3TransformCoord(corner.position, world), &found, &low, &high);
    }
    if (found) {
        *boxMin = low;
        *boxMax = high;
    }
    return found;
}
