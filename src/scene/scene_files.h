// Every file a running scene was made from, by the path a person finds it
// at (absolute): the reference and the textures its materials name, each
// clip, the cube map and the effect. Watch mode watches them.
#pragma once

#include <string>
#include <vector>

#include "scene/scene.h"

struct SceneFileEntry {
    std::string path;
    // A texture counts as the reference's: the mesh is loaded again with it.
    SceneFile file = SceneFile::Reference;
    int clip = -1;  // the slot, for SceneFile::Clip
};

// In the order reference, its textures, clips, cube map, effect. A file
// that serves twice (one clip file in two slots) is listed for each.
std::vector<SceneFileEntry> ListSceneFiles(const Scene& scene);
