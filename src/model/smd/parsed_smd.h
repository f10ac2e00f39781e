// What the SMD parser hands back: plain records, or why the file was refused.
#pragma once

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

// A reference file: the bind-pose skeleton and the triangles, each corner
// already in the local space of its bone.
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
};

// An animation file: frames[f][b] is bone b in keyframe f, a model-space pose.
struct Animation {
    int frameCount = 0;  // 0, with no frames, when the file has no time or no node lines
    int boneCount = 0;
    std::vector<std::unique_ptr<Bone[]>> frames;
};

}  // namespace smd
