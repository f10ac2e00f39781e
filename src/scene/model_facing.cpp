#include "scene/model_facing.h"

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

Matrix4 FacedWorld(const Matrix4& world, ModelFacing facing) {
    switch (facing) {
    case ModelFacing::AsLoaded: return world;
    // +Y to -Y, the direction the program's own character faces.
    case ModelFacing::FrontPlusY: return MatrixRotationZ(kPi) * world;
    // +X to -Y.
    case ModelFacing::ZUp: return MatrixRotationZ(-kPi / 2.0f) * world;
    }
    return world;
}
