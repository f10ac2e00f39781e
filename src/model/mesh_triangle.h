// One triangle of a mesh, carrying its own three corners.
#pragma once

#include "model/skin_vertex.h"

struct MeshTriangle {
    // Index into the mesh's material table.
    int materialIndex = 0;
    // boneIndices[k] is the mesh bone that drives vertices[k].
    int boneIndices[3] = {0, 0, 0};
    // Corners in slot order (the file's lines 1, 3, 2, which reverses the
    // winding); after loading, each is in the local space of its bone.
    SkinVertex vertices[3];
};
