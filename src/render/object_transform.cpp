#include "render/object_transform.h"

Matrix4 ObjectTransform::BuildWorldMatrix() const {
    Matrix4 scaling = MatrixScaling(scale.x, scale.y, scale.z);
    Matrix4 rotation = MatrixRotationYawPitchRoll(yaw, pitch, roll);
    Matrix4 translation = MatrixTranslation(position.x, position.y, position.z);
    return (scaling * rotation) * translation;
}
