// The Lantern Squid's clips, made from poses given per bone as turns in the
// bone's own axes: "Swim" (32 keyframes) and "Strike" (28) move every bone;
// "Look Around" (16) holds only the kSquidUpperBones upper bones, so a player
// that keeps the matrices of the bones a clip lacks gets exercised.
#pragma once

#include <vector>

#include "assetgen/animations.h"
#include "assetgen/character.h"

namespace assetgen {

std::vector<Clip> BuildSquidClips(const Character& squid);

}  // namespace assetgen
