// The corners of a mesh that repeat, skinned once. A smooth mesh stores each
// vertex once per triangle that uses it (a vertex shared by six triangles is
// six corners with the same bytes), so skinning the distinct corners and
// copying each to the corners that repeat it writes the same vertex buffer,
// byte for byte, for a fraction of the work.
#pragma once

#include <cstdint>
#include <vector>

#include "model/bone.h"
#include "model/mesh_triangle.h"
#include "model/skin_vertex.h"

namespace skinning {

struct SharedCorners {
    // The distinct corners, three to an entry as skinning reads them (the
    // last entry's spare corners carry kLinkedCorner: never written).
    std::vector<MeshTriangle> distinct;
    // Corner c of the mesh is distinct corner source[c] (3 × triangles).
    std::vector<uint32_t> source;
    // The distinct corners skinned, rewritten by every Skin call: a buffer
    // of the pass, not part of the mesh's state.
    mutable std::vector<SkinVertex> skinned;

    bool Empty() const { return source.empty(); }
    // Writes the 3 × triangleCount corners the table was made for, skinned
    // with bones, to out, exactly as SkinCorners over the mesh's triangles
    // would: a corner skinning leaves as it is (kLinkedCorner) gets whatever
    // its distinct corner holds, for SkinLinkedCorners to overwrite.
    void Skin(const Bone* bones, int boneCount, SkinVertex* out) const;
};

// The table for triangles when it saves work: repeats are looked for among
// recent corners (as exporters write a mesh, a vertex's triangles are near
// one another), in one pass with no allocation per corner. Empty when too
// few corners repeat for the copying to pay (judged from the first 24,576
// corners, then from all).
SharedCorners ShareCorners(const MeshTriangle* triangles, int triangleCount);

}  // namespace skinning
