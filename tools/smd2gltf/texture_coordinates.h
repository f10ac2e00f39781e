// The texture coordinates of a reference's corners, read by the model
// library's walk (model/smd/texture_coordinates.h).
#pragma once

#include "model/smd/texture_coordinates.h"

namespace smd2gltf {
using smd::ReadTextureCoordinates;
using smd::TextureCoordinates;
}  // namespace smd2gltf
