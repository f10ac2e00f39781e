#include "model/smd/bone_pose.h"

#include <memory>
#include <new>

#include "math/vector3.h"

namespace smd {

Matrix4 ComposeLocalMatrix(const float values[6]) {
    Matrix4 rotation = MatrixMultiply(MatrixRotationX(values[3]), MatrixRotationY(values[4]));
    rotation = MatrixMultiply(rotation, MatrixRotationZ(values[5]));
    return MatrixMultiply(rotation, MatrixTranslation(values[0], values[1], values[2]));
}

void PoseBone(Bone* bones, int count, int index, const float values[6]) {
    Bone& bone = bones[index];
    bone.localMatrix = ComposeLocalMatrix(values);
    int parent = bone.parentIndex;
    if (parent < 0 || parent >= count) {
        bone.absoluteMatrix = bone.localMatrix;
    } else {
        // A bone may name itself as parent: the product reads its old value.
        bone.absoluteMatrix = MatrixMultiply(bone.localMatrix, bones[parent].absoluteMatrix);
    }
}

bool BindToBones(const Bone* bones, int boneCount, MeshTriangle* triangles, int first, int last) {
    if (first >= last || boneCount <= 0) return true;
    struct Inverse {
        Matrix4 matrix;
        bool exists;
    };
    std::unique_ptr<Inverse[]> inverses(new (std::nothrow) Inverse[size_t(boneCount)]);
    if (!inverses) return false;
    for (int b = 0; b < boneCount; ++b)
        inverses[b].exists = MatrixInverse(bones[b].absoluteMatrix, &inverses[b].matrix);
    for (int t = first; t < last; ++t) {
        MeshTriangle& triangle = triangles[t];
        for (int k = 0; k < 3; ++k) {
            const Inverse& inverse = inverses[triangle.boneIndices[k]];
            if (!inverse.exists) continue;
            SkinVertex& vertex = triangle.vertices[k];
            vertex.position = Vec3TransformCoord(vertex.position, inverse.matrix);
            vertex.normal = Vec3TransformNormal(vertex.normal, inverse.matrix);
        }
    }
    return true;
}

}  // namespace smd
