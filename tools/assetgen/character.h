// "Pudo_Red": a small, round, red creature built from rigid parts, one bone
// per part. Model space is right-handed with +Z up; the creature stands on
// z = 0 and faces −Y (its left side is +X), as characters exported from the
// usual modelling packages do. The records here describe any generated
// character; the Lantern Squid (squid.h) is built from them too.
#pragma once

#include <string>
#include <vector>

#include "assetgen/image.h"
#include "assetgen/mesh_parts.h"
#include "math/matrix4.h"

namespace assetgen {

struct SkeletonBone {
    std::string name;
    int parent = -1;       // index of an earlier bone, −1 for the root
    Matrix4 bindAbsolute;  // bone space → model space in the bind pose
};

struct Material {
    std::string textureFile;  // also the material name in the SMD file
    Rgb color;                // main colour of its texture
};

struct Character {
    std::vector<SkeletonBone> bones;  // parents before children
    std::vector<Material> materials;
    std::vector<SmdTriangle> triangles;  // grouped by material
    // The node id of each bone in the SMD files; empty: the bone's index.
    std::vector<int> nodeIds;
    // The number of the first keyframe of a clip file (time lines count on
    // from it).
    int firstKeyframe = 0;
    // The SMD files name each material by its texture file without the
    // extension.
    bool materialNamesWithoutExtension = false;
};

Character BuildCharacter();

// Index of the bone with that name, or −1.
int FindBone(const Character& character, const std::string& name);

// Bind-pose local matrices: bindAbsolute × inverse(parent's bindAbsolute).
std::vector<Matrix4> BindLocals(const Character& character);

// The 64 × 64 texture of a material.
Image8 MaterialTexture(const Material& material, int index);

}  // namespace assetgen
