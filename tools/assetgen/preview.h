// Quick looks at the generated assets without the program: a CPU z-buffer
// rendering of the character through the program's world matrix and start
// camera, and the six cube faces laid out as a cross.
#pragma once

#include <cstdint>
#include <vector>

#include "assetgen/animations.h"
#include "assetgen/character.h"
#include "assetgen/dds_writer.h"
#include "assetgen/image.h"

namespace assetgen {

// Six 400 × 300 panels: front and side in the bind pose, a three-quarter
// view from behind, and one keyframe of each clip (the strike of Attack, a
// Run and a Stun keyframe), over the environment as a sky box. Back faces
// are drawn magenta, so a wrong winding shows at once.
Image8 RenderCharacterSheet(const Character& character, const std::vector<Clip>& clips);

// The faces at the given mip level as a cross: +Y above, then −X, +Z, +X,
// −Z, then −Y below.
Image8 RenderCubeCross(const CubeMap& cube, int level);

std::vector<uint8_t> EncodePpm(const Image8& image);

}  // namespace assetgen
