// The snow landscape around the scene as a function of view direction, and
// the cube map sampled from it. World up is +Y.
#pragma once

#include "assetgen/dds_writer.h"
#include "assetgen/image.h"
#include "math/vector3.h"

namespace assetgen {

enum CubeFace { kPositiveX, kNegativeX, kPositiveY, kNegativeY, kPositiveZ, kNegativeZ };

// The direction (not normalised) that texel coordinates (u, v) of a face look
// along, in Direct3D's cube layout: u grows to the right, v downwards, both
// in [−1, 1]; for example face +Z maps (u, v) to (u, −v, 1).
Vector3 CubeFaceDirection(int face, float u, float v);

// Colour of the landscape seen along the unit direction dir: a sky gradient
// with a low sun, two ranges of snowy mountains on the horizon and a
// textured snow field below.
Rgb EnvironmentColor(const Vector3& dir);

// Samples every face at size × size texels from the direction of each texel
// centre and adds the full mip chain down to 1 × 1 (2 × 2 box filter).
// Because every texel comes from its direction, the faces meet without seams.
CubeMap BuildSnowCubeMap(int size);

}  // namespace assetgen
