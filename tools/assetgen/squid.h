// "Lantern Squid": a second character, built unlike Pudo_Red for the tests
// of loading any character. It hovers: a tall mantle with two fins above a
// head with large side eyes, six curling arms and two long tentacles below,
// glowing spots on the mantle. About three and a half times Pudo_Red's
// height and off the model origin (its body axis stands at x = 45, y = 70,
// its lowest point above z = 0), with 59 bones in chains up to ten deep and
// six materials whose textures come in three file formats and six sizes.
//
// Model space as for Pudo_Red: right-handed, +Z up, the face towards −Y, the
// creature's left side at +X.
#pragma once

#include "assetgen/character.h"
#include "assetgen/image.h"

namespace assetgen {

// Bones 0 … kSquidUpperBones − 1 are the root, the body and everything above
// the arms (head, eyes, siphon, mantle, fins); the arms and tentacles follow.
// No bone past them hangs below one of them but the body, so a clip that
// holds only these bones and leaves the root and the body in the bind pose
// moves the upper part without tearing the arms away.
constexpr int kSquidUpperBones = 13;

Character BuildSquid();

// The texture of material index (its size depends on the material).
Image8 SquidTexture(const Character& squid, int material);

}  // namespace assetgen
