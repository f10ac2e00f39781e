#include "scene/scene_files.h"

#include "model/skinned_model.h"
#include "platform/files.h"

std::vector<SceneFileEntry> ListSceneFiles(const Scene& scene) {
    const SceneDescription& description = scene.description;
    const std::string& base = description.baseFolder;
    std::vector<SceneFileEntry> files;
    auto add = [&](std::string path, SceneFile file, int clip) {
        files.push_back(SceneFileEntry{std::move(path), file, clip});
    };
    if (!description.referencePath.empty()) {
        add(DisplayPathIn(base, description.referencePath.c_str()), SceneFile::Reference, -1);
        const std::string textureFolder = ReferenceFileOf(description).folder;
        const SkinnedModel* model = scene.model;
        for (int m = 0; model && m < model->meshCount; ++m) {
            const ModelMesh& mesh = model->meshes[m];
            for (int t = 0; t < mesh.textureCount; ++t) {
                if (!mesh.texturePaths[t][0]) continue;
                add(DisplayPathIn(textureFolder, mesh.texturePaths[t]), SceneFile::Reference, -1);
            }
        }
    }
    for (size_t c = 0; c < description.clipPaths.size(); ++c)
        add(DisplayPathIn(base, description.clipPaths[c].c_str()), SceneFile::Clip, int(c));
    if (!description.cubeMapPath.empty())
        add(DisplayPathIn(base, description.cubeMapPath.c_str()), SceneFile::CubeMap, -1);
    if (!description.effectPath.empty())
        add(DisplayPathIn(base, description.effectPath.c_str()), SceneFile::Effect, -1);
    return files;
}
