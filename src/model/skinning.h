// CPU skinning: every corner of every triangle moved by the model-space
// matrix of its one bone, written as the vertex buffer's SkinVertex array.
//
// A corner's position is (x, y, z, 1) × M divided by the resulting w, its
// normal (x, y, z) × the upper 3 × 3 of M. Three paths give bit-identical
// results: each multiplies and adds in the same order as the scalar code
// (no fused multiply-add), and IEEE division is exact in every width.
#pragma once

#include "model/bone.h"
#include "model/mesh_triangle.h"
#include "model/skin_vertex.h"

namespace skinning {

enum class Path {
    Scalar,  // any processor
    Sse2,    // every x86-64 processor
    Avx2,    // x86-64 processors that report AVX2
};

// The fastest path this processor runs (decided once).
Path BestPath();
// True when this processor runs path.
bool Supports(Path path);
const char* PathName(Path path);

// Writes the 3 × triangleCount corners of triangles, skinned with bones'
// absoluteMatrix, to out. A corner whose bone index lies outside
// [0, boneCount) is copied unchanged. out must not overlap triangles.
void SkinCorners(const MeshTriangle* triangles, int triangleCount, const Bone* bones, int boneCount,
                 SkinVertex* out);
// The same with a chosen path (one this processor supports).
void SkinCorners(Path path, const MeshTriangle* triangles, int triangleCount, const Bone* bones,
                 int boneCount, SkinVertex* out);

}  // namespace skinning
