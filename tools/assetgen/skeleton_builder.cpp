#include "assetgen/skeleton_builder.h"

#include <cmath>

namespace assetgen {
namespace {

int Append(Character* character, const std::string& name, const std::string& parent,
           const Matrix4& bind) {
    character->bones.push_back({name, parent.empty() ? -1 : FindBone(*character, parent), bind});
    return static_cast<int>(character->bones.size()) - 1;
}

}  // namespace

Matrix4 AimedBone(const Vector3& joint, const Vector3* target) {
    Matrix4 m = MatrixTranslation(joint.x, joint.y, joint.z);
    if (!target) return m;
    Vector3 x = Vec3Normalize(*target - joint);
    Vector3 up = std::fabs(x.z) < 0.95f ? Vector3{0, 0, 1} : Vector3{0, -1, 0};
    Vector3 y = Vec3Normalize(Vec3Cross(up, x));
    Vector3 z = Vec3Cross(x, y);
    const Vector3 rows[3] = {x, y, z};
    for (int r = 0; r < 3; ++r) {
        m.m[r][0] = rows[r].x;
        m.m[r][1] = rows[r].y;
        m.m[r][2] = rows[r].z;
    }
    return m;
}

int SkeletonBuilder::Bone(const std::string& name, const std::string& parent,
                          const Vector3& joint) const {
    return Append(character, name, parent, AimedBone(joint, nullptr));
}

int SkeletonBuilder::Aimed(const std::string& name, const std::string& parent, const Vector3& joint,
                           const Vector3& target) const {
    return Append(character, name, parent, AimedBone(joint, &target));
}

}  // namespace assetgen
