// Studiomdl Data text: one reference file (node list, bind pose, triangles)
// and one animation file per clip (the same node list, one time block per
// keyframe, no triangles). A clip whose keyframes hold fewer bones than the
// character lists only those first bones. Bone lines hold the local
// transform as position and X, Y, Z angles; vertex lines hold the
// model-space bind position and, for a vertex that has them, its weight
// links. Bones are named by the character's node ids, and keyframes are
// numbered from its first keyframe number.
#pragma once

#include <string>

#include "assetgen/animations.h"
#include "assetgen/character.h"

namespace assetgen {

std::string ReferenceSmd(const Character& character);
std::string AnimationSmd(const Character& character, const Clip& clip);

}  // namespace assetgen
