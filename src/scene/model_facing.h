// The model turned in its own space before the world matrix places it, for
// files whose front faces another way than the program's own character.
#pragma once

#include "math/matrix4.h"
#include "scene/view_options.h"

// turn × world, the turn about the model's Z axis (its up axis): world
// itself, bit for bit, for ModelFacing::AsLoaded.
Matrix4 FacedWorld(const Matrix4& world, ModelFacing facing);
