#include "scene/scene.h"

#include <new>
#include <utility>

#include "model/skinned_model.h"
#include "platform/files.h"
#include "scene/effect_setup.h"

namespace {

bool Stopped(const SceneBuildHooks& hooks) {
    return hooks.stopRequested && hooks.stopRequested(hooks.context);
}

// The reference: a relative path from the base folder, an absolute one from
// its own folder by its file name (resolved first, so that a folder written
// in another letter case is found).
void LoadReference(SkinnedModel& model, gfx::Device* device, const SceneDescription& description,
                   const ReportSink& report) {
    const std::string& path = description.referencePath;
    if (path.empty() || (path[0] != '/' && path[0] != '\\')) {
        model.LoadReference(device, path.c_str(), LoadContext{description.baseFolder, report});
        return;
    }
    std::string resolved = ResolvePath(path.c_str());
    size_t slash = resolved.rfind('/');
    LoadContext inItsFolder{resolved.substr(0, slash + 1), report};
    model.LoadReference(device, resolved.c_str() + slash + 1, inItsFolder);
}

}  // namespace

Scene::Scene(Scene&& other) noexcept {
    *this = std::move(other);
}

Scene& Scene::operator=(Scene&& other) noexcept {
    if (this == &other) return *this;
    Release();
    model = std::exchange(other.model, nullptr);
    effect = std::exchange(other.effect, nullptr);
    technique = std::exchange(other.technique, nullptr);
    vertexDeclaration = std::exchange(other.vertexDeclaration, nullptr);
    box.vertexBuffer = std::exchange(other.box.vertexBuffer, nullptr);
    box.indexBuffer = std::exchange(other.box.indexBuffer, nullptr);
    box.environmentMap = std::exchange(other.box.environmentMap, nullptr);
    effectFile = std::move(other.effectFile);
    effectDisplayPath = std::move(other.effectDisplayPath);
    return *this;
}

Scene::~Scene() {
    Release();
}

void Scene::Release() {
    delete model;
    model = nullptr;
    gfx::SafeRelease(effect);
    technique = nullptr;
    gfx::SafeRelease(vertexDeclaration);
    box.Release();
}

bool BuildScene(const SceneDescription& description, gfx::Device* device, const ReportSink& report,
                const SceneBuildHooks& hooks, Scene* scene, SceneBuildResult* result) {
    *result = SceneBuildResult{};
    const LoadContext files{description.baseFolder, report};
    result->cubeMapFile = PathIn(description.baseFolder, description.cubeMapPath.c_str());
    if (gfx::Failed(scene->box.Create(device, result->cubeMapFile.c_str()))) {
        bool buffers = scene->box.vertexBuffer && scene->box.indexBuffer;
        result->failure = buffers ? SceneFailure::CubeMap : SceneFailure::BoxBuffers;
        return false;
    }
    if (hooks.environmentReady) hooks.environmentReady(hooks.context);

    // Without an effect the frames show the HUD only.
    const char* effectPath = description.effectPath.c_str();
    scene->effectFile = PathIn(description.baseFolder, effectPath);
    scene->effectDisplayPath = DisplayPathIn(description.baseFolder, effectPath);
    CreateEffectObjects(device, scene->vertexDeclaration, scene->effect, scene->technique, files,
                        effectPath, description.effectFailureBox, &result->effectFailure);
    if (hooks.effectReady) hooks.effectReady(hooks.context, *result);

    if (!scene->model) scene->model = new (std::nothrow) SkinnedModel();
    if (!scene->model) {
        result->failure = SceneFailure::ModelMemory;
        return false;
    }
    // The loaders report malformed files themselves; the scene goes on with
    // whatever was loaded. A stop asked for meanwhile (maybe from inside a
    // box) skips the remaining files.
    SkinnedModel& model = *scene->model;
    if (!description.referencePath.empty()) {
        if (Stopped(hooks))
            result->stopped = true;
        else
            LoadReference(model, device, description, report);
    }
    for (const std::string& path : description.clipPaths) {
        if (result->stopped || Stopped(hooks)) {
            result->stopped = true;
            break;
        }
        model.LoadAnimation(path.c_str(), files);
    }
    result->clipsLoaded = model.clipCount;
    result->clipFiles = static_cast<int>(description.clipPaths.size());
    // After a stop the clip is not looked for: the program is quitting.
    if (!result->stopped && Stopped(hooks)) result->stopped = true;
    if (description.clip > 0 && description.clip >= model.clipCount && !result->stopped) {
        result->failure = SceneFailure::ClipMissing;
        return false;
    }
    return true;
}
