#include "scene/overlay_lines.h"

#include "model/skinned_model.h"
#include "scene/model_bounds.h"

void OverlayGeometry::Clear() {
    depthLines.clear();
    alwaysLines.clear();
    joints.clear();
}

namespace {

Vector3 JointOf(const Bone& bone, const Matrix4& world) {
    const Matrix4& m = bone.absoluteMatrix;
    return Vec3TransformCoord(Vector3(m.m[3][0], m.m[3][1], m.m[3][2]), world);
}

void AddLine(std::vector<OverlayVertex>* lines, const Vector3& a, const Vector3& b,
             uint32_t colour) {
    lines->push_back({a, colour});
    lines->push_back({b, colour});
}

}  // namespace

void AddSkeleton(const SkinnedModel& model, const Matrix4& world, OverlayGeometry* out) {
    // The joints' extent first, for the size of their crosses.
    bool any = false;
    Vector3 low, high;
    for (int m = 0; m < model.meshCount; ++m) {
        const ModelMesh& mesh = model.meshes[m];
        for (int b = 0; mesh.bones && b < mesh.boneCount; ++b)
            WidenBox(JointOf(mesh.bones[b], world), &any, &low, &high);
    }
    if (!any) return;
    const float h = 0.5f * kJointCrossShare * Vec3Length(high - low);
    for (int m = 0; m < model.meshCount; ++m) {
        const ModelMesh& mesh = model.meshes[m];
        if (!mesh.bones) continue;
        for (int b = 0; b < mesh.boneCount; ++b) {
            const Bone& bone = mesh.bones[b];
            const Vector3 joint = JointOf(bone, world);
            out->joints.push_back({joint, kJointColour});
            AddLine(&out->alwaysLines, joint - Vector3(h, 0, 0), joint + Vector3(h, 0, 0),
                    kJointColour);
            AddLine(&out->alwaysLines, joint - Vector3(0, h, 0), joint + Vector3(0, h, 0),
                    kJointColour);
            AddLine(&out->alwaysLines, joint - Vector3(0, 0, h), joint + Vector3(0, 0, h),
                    kJointColour);
            // A parent index outside the array is a root, as in the skeleton.
            const int parent = bone.parentIndex;
            if (parent >= 0 && parent < mesh.boneCount && parent != b)
                AddLine(&out->alwaysLines, JointOf(mesh.bones[parent], world), joint, kBoneColour);
        }
    }
}

bool AddNormalsAndBounds(const SkinnedModel& model, const Matrix4& world, bool normals,
                         float normalLength, OverlayGeometry* out, Vector3* low, Vector3* high) {
    bool found = false;
    Vector3 least, most;
    for (int m = 0; m < model.meshCount; ++m) {
        const ModelMesh& mesh = model.meshes[m];
        if (!mesh.IsDrawable()) continue;
        out->corners.resize(size_t(mesh.triangleCount) * 3);
        mesh.SkinCorners(mesh.bones, out->corners.data());
        for (const SkinVertex& corner : out->corners) {
            const Vector3 p = Vec3TransformCoord(corner.position, world);
            if (normals) {
                const Vector3 n = Vec3Normalize(corner.normal);
                const Vector3 tip = Vec3TransformCoord(corner.position + n * normalLength, world);
                AddLine(&out->depthLines, p, tip, kNormalColour);
            }
            WidenBox(p, &found, &least, &most);
        }
    }
    if (found) {
        *low = least;
        *high = most;
    }
    return found;
}

void AddBox(const Vector3& low, const Vector3& high, uint32_t colour,
            std::vector<OverlayVertex>* lines) {
    // Corner i takes high on the axes whose bit is set (x 1, y 2, z 4); an
    // edge joins two corners that differ in one bit.
    auto corner = [&](int i) {
        return Vector3(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z);
    };
    for (int i = 0; i < 8; ++i)
        for (int bit = 1; bit < 8; bit <<= 1)
            if (!(i & bit)) AddLine(lines, corner(i), corner(i | bit), colour);
}
