// CPU skinning: every corner of every triangle moved by the model-space
// matrix of its one bone, written as the vertex buffer's SkinVertex array;
// then the corners with weight links, each blended from several bones.
//
// A corner's position is (x, y, z, 1) × M divided by the resulting w, its
// normal (x, y, z) × the upper 3 × 3 of M. A linked corner's matrix is the
// weighted sum of its bones' skinning matrices (inverse bind pose × current
// pose), applied to its model-space bind position as an affine transform
// (the bones' matrices are rotations and translations and blends of them;
// their w column is not used). Three paths give bit-identical results: each
// multiplies and adds in the same order as the scalar code (no fused
// multiply-add), IEEE division is exact in every width, and a position
// whose w is exactly 1 is not divided at all (x / 1 is x).
#pragma once

#include <cstdint>
#include <vector>

#include "model/bone.h"
#include "model/mesh_triangle.h"
#include "model/skin_vertex.h"

namespace skinning {

// The bone index of a corner that weight links drive: the one-bone pass
// leaves it unwritten for SkinLinkedCorners.
constexpr int kLinkedCorner = -2;

struct Link {
    int bone;
    float weight;
};

// The corners of a mesh that weight links drive, as flat arrays: corner i
// is written to vertex corner[i], from bindPose[i] (position and normal in
// model space, bind pose) and the links links[linkStart[i] ..
// linkStart[i + 1]) (bones of the mesh, weights above 0 that add up to 1).
// The corners are kept in order of their number of links, those with k
// links being corners countEnd[k - 1] .. countEnd[k] - 1 (countEnd[0] is 0),
// so that a loop blends each run with a fixed number of links. inverseBind
// holds one matrix per bone of the mesh.
struct LinkedCorners {
    std::vector<uint32_t> corner;
    std::vector<SkinVertex> bindPose;
    std::vector<uint32_t> linkStart;
    std::vector<Link> links;
    std::vector<uint32_t> countEnd;
    std::vector<Matrix4> inverseBind;
    int boneEnd = 0;  // one more than the largest bone a link names

    // Adds a corner with count links (a corner without links is not added).
    void Add(uint32_t vertex, const SkinVertex& bind, const Link* cornerLinks, int count);
    // Puts the corners added in order of their link count (keeping their
    // order within a count) and fills countEnd; once, after the last Add.
    void Finish();
    bool Empty() const { return corner.empty(); }
    // True when the arrays hold together as Finish leaves them.
    bool IsWhole() const;
};

enum class Path {
    Scalar,  // any processor
    Sse2,    // every x86-64 processor
    Avx2,    // x86-64 processors that report AVX2
};

// The fastest path on this processor, timed once on first use (well under
// a millisecond): not the widest one it has, which is slower on some.
Path BestPath();
// True when this processor runs path.
bool Supports(Path path);
const char* PathName(Path path);

// Writes the 3 × triangleCount corners of triangles, skinned with bones'
// absoluteMatrix, to out. A corner whose bone index is kLinkedCorner is
// left as it is; one whose index lies otherwise outside [0, boneCount) is
// copied unchanged. out must not overlap triangles.
void SkinCorners(const MeshTriangle* triangles, int triangleCount, const Bone* bones, int boneCount,
                 SkinVertex* out);
// The same with a chosen path (one this processor supports).
void SkinCorners(Path path, const MeshTriangle* triangles, int triangleCount, const Bone* bones,
                 int boneCount, SkinVertex* out);

// Writes every linked corner to its vertex of out (which holds at least
// every corner's index + 1 vertices), blended from bones' absoluteMatrix.
// With a bone count other than the one linked was made for, the corners
// get their bind pose instead.
void SkinLinkedCorners(const LinkedCorners& linked, const Bone* bones, int boneCount,
                       SkinVertex* out);
void SkinLinkedCorners(Path path, const LinkedCorners& linked, const Bone* bones, int boneCount,
                       SkinVertex* out);

}  // namespace skinning
