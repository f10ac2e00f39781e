// What the SMD parser hands back: plain records, or why the file was refused.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/bone.h"
#include "model/mesh_triangle.h"
#include "model/smd/smd_limits.h"
#include "model/smd/smd_load_result.h"

namespace smd {

struct ParseStatus {
    SmdLoadResult result = SmdLoadResult::Ok;
    // Line the fault was found on (1 = first line); 0 when no one line is to
    // blame (not enough memory).
    int line = 0;
    // The reason in English, e.g. "node index 7 is outside 0..3".
    std::string text;
};

// One weight link of a corner: a share of its skinning given to a bone.
struct WeightLink {
    int bone;  // slot index
    float weight;
};

// A reference file: the bind-pose skeleton and the triangles, each corner
// already in the local space of its bone (the bone of its first field, or
// the bone of its one link when that link has full weight).
struct Reference {
    int boneCount = 0;
    std::unique_ptr<Bone[]> bones;  // null when the file has no node lines
    int triangleCount = 0;
    std::unique_ptr<MeshTriangle[]> triangles;  // in file order, corners in slot order
    // One entry per change of material between consecutive triangles, in file
    // order; a material that comes back is listed again. Triangles take the
    // last entry with their name.
    int materialCount = 0;
    char materialNames[kMaxMaterials][kMaterialNameSize] = {};
    // File id of each bone slot; slots are numbered in the order of the nodes section.
    std::vector<int> nodeIds;
    // Weight links, in corner order (corner c = 3 * triangle + slot k, slots in the stored order):
    // corner c's links are links[linkStart[c] .. linkStart[c + 1]). Both empty when no corner of
    // the file has links. The list is final: when the file's weights add up to less than 1 the rest
    // is already given to the bone of the first field (merged with a link to that bone if there is
    // one). Weights of 0 are dropped, links to one bone merged into the first of them, and weights
    // that add up to more than 1 are divided by their sum: a vertex whose bones all stand in their
    // bind pose then stays where the file puts it, as it does when the weights add up to 1. A sum
    // short of 1 by no more than 0.0001 (the rounding of weights written with six decimals) is
    // divided by too, not topped up.
    std::vector<uint32_t> linkStart;
    std::vector<WeightLink> links;
};

// An animation file: frames[f][b] is bone b in keyframe f, a model-space pose.
struct Animation {
    int frameCount = 0;  // 0, with no frames, when the file has no time or no node lines
    int boneCount = 0;
    std::vector<std::unique_ptr<Bone[]>> frames;
    // File id of each bone slot, in the order of the nodes section.
    std::vector<int> nodeIds;
};

}  // namespace smd
