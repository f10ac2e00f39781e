// Everything an export holds, assembled into glTF's JSON and one binary
// buffer: bones as nodes, the mesh and its skin, materials with embedded
// textures, one animation per clip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "smd2gltf/clip_poses.h"
#include "smd2gltf/material_textures.h"
#include "smd2gltf/mesh_builder.h"
#include "smd2gltf/skeleton.h"

namespace smd2gltf {

struct NamedClip {
    std::string name;
    ClipPoses poses;
};

struct SceneParts {
    std::string name;  // of the mesh node (the reference file's name)
    std::vector<std::string> boneNames;
    const Skeleton* skeleton = nullptr;
    const MeshData* mesh = nullptr;  // null or no primitives: bones only
    const Materials* materials = nullptr;
    std::vector<NamedClip> clips;
    double framesPerSecond = 30.0;
};

struct GltfDocument {
    std::string json;
    std::vector<uint8_t> binary;
};

GltfDocument BuildDocument(const SceneParts& parts);

}  // namespace smd2gltf
