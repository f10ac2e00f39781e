// The reference's bones as glTF nodes: a tree, bind transforms in glTF's
// axes and units, and the inverse bind matrices of the skin.
//
// Each node's transform is taken from the absolute (model-space) matrices
// the program computes, local = absolute × inverse(parent's absolute), so
// that the nodes reproduce the program's bind pose even where its file
// does not make a tidy tree: a parent index that names the bone itself or
// closes a loop is dropped (the bone becomes a root), and a parent whose
// line came after its child's keeps the matrices the program built.
#pragma once

#include <vector>

#include "model/smd/parsed_smd.h"
#include "smd2gltf/axis_change.h"

namespace smd2gltf {

struct Skeleton {
    int boneCount = 0;
    std::vector<int> parent;          // glTF parent of each bone slot, −1 for a root
    std::vector<Mat4d> bindAbsolute;  // the program's bind pose, SMD space
    std::vector<Trs> bindLocal;       // node transforms, glTF space
    std::vector<Mat4d> inverseBind;   // glTF space, row vectors
};

// Parents in the reference's order of slots, made a tree: a parent out of
// range or equal to the bone, or one that would close a loop, becomes −1.
std::vector<int> TreeParents(const Bone* bones, int boneCount);

Skeleton BuildSkeleton(const smd::Reference& reference, double metresPerUnit);

// The local transform, in glTF space, of a bone whose absolute matrix is
// absolute under a parent whose absolute matrix is parentAbsolute (null
// for a root); both in SMD space.
Trs LocalTransform(const Mat4d& absolute, const Mat4d* parentAbsolute, double metresPerUnit);

}  // namespace smd2gltf
