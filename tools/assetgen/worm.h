// "Puddle Worm": a third character, written the way today's most used SMD
// exporter (a Blender add-on) writes files, for the loaders' handling of
// such files: every vertex line names an implicit root bone in its first
// field and its real bones in weight links (one to three links, blended
// along the body), the node ids skip one number, the clip's keyframes are
// numbered from 1 and the material names have no extension (the textures
// are WormSkin.png and WormEye.tga beside the reference file). The clip
// files lie in anims/ beside the reference, as that exporter puts them.
//
// It lies along +X on the ground, its head at +X; model space as for
// Pudo_Red (+Z up).
#pragma once

#include <vector>

#include "assetgen/animations.h"
#include "assetgen/character.h"
#include "assetgen/image.h"

namespace assetgen {

Character BuildWorm();

// "crawl": 32 keyframes of a wave running from the tail to the nodding head.
std::vector<Clip> BuildWormClips(const Character& worm);

// The texture of material index.
Image8 WormTexture(const Character& worm, int material);

}  // namespace assetgen
