// The reference's triangles as glTF primitives: one per material, each an
// indexed list of unique vertices (position, normal, texture coordinates,
// joints and weights) in glTF's axes and units, in the bind pose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/smd/parsed_smd.h"
#include "smd2gltf/skeleton.h"
#include "smd2gltf/texture_coordinates.h"

namespace smd2gltf {

// Influences per vertex beyond these are dropped (the largest are kept and
// scaled to sum to 1): two sets of glTF's four.
constexpr int kMaxInfluences = 8;

struct Primitive {
    int material = 0;  // index into the unique materials
    uint32_t vertexCount = 0;
    std::vector<float> positions;   // 3 per vertex
    std::vector<float> normals;     // 3 per vertex, unit length
    std::vector<float> texcoords;   // 2 per vertex, v from the top
    std::vector<uint16_t> joints;   // 4 × influenceSets per vertex
    std::vector<float> weights;     // 4 × influenceSets per vertex
    std::vector<uint32_t> indices;  // 3 per triangle, counter-clockwise from the front
    float min[3] = {0, 0, 0};       // of the positions
    float max[3] = {0, 0, 0};
};

struct MeshData {
    int influenceSets = 1;
    std::vector<Primitive> primitives;  // in the order their materials first appear
    int cornersOverLimit = 0;           // corners that had more than kMaxInfluences
    bool positionsFinite = true;  // false when a bone matrix sends a corner out of float range
};

// materialOfEntry maps the reference's material table entries to unique
// materials (smd::Reference::materialNames may list one name twice).
MeshData BuildMesh(const smd::Reference& reference, const Skeleton& skeleton,
                   const TextureCoordinates& uv, const std::vector<int>& materialOfEntry,
                   double metresPerUnit);

}  // namespace smd2gltf
