#include "model/skinned_model.h"

SkinnedModel::SkinnedModel()
    : meshes(new ModelMesh[kMaxMeshes]), clips(new AnimationClip[kMaxClips]) {}

SkinnedModel::~SkinnedModel() {
    // Meshes first (bones, triangles, vertex buffer, textures), then clips.
    delete[] meshes;
    delete[] clips;
    // device is borrowed from the renderer and stays alive.
}
