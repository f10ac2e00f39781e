#include "scene/scene.h"

#include <new>
#include <utility>

#include "model/skinned_model.h"
#include "platform/files.h"
#include "scene/effect_reload.h"
#include "scene/effect_setup.h"
#include "scene/model_files.h"
#include "scene/scene_prefetch.h"

namespace {

bool Stopped(const void* context) {
    const auto* hooks = static_cast<const SceneBuildHooks*>(context);
    return hooks->stopRequested && hooks->stopRequested(hooks->context);
}

int ClipsWithKeyframes(const SkinnedModel& model) {
    int count = 0;
    for (int c = 0; c < model.clipCount; ++c) count += model.clips[c].frameCount > 0 ? 1 : 0;
    return count;
}

}  // namespace

Scene::Scene(Scene&& other) noexcept { *this = std::move(other); }

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
    description = std::move(other.description);
    return *this;
}

Scene::~Scene() { Release(); }

void Scene::Release() {
    delete model;
    model = nullptr;
    gfx::SafeRelease(effect);
    technique = nullptr;
    gfx::SafeRelease(vertexDeclaration);
    box.Release();
}

bool BuildScene(const SceneDescription& description, gfx::Device* device, const ReportSink& report,
                const SceneBuildHooks& hooks, Scene* scene, SceneBuildResult* result,
                PreparedSceneFiles* prepared) {
    *result = SceneBuildResult{};
    scene->description = description;
    const LoadContext files{description.baseFolder, report};
    result->cubeMapFile = PathIn(description.baseFolder, description.cubeMapPath.c_str());
    PreparedCubeMap* cube = prepared ? &prepared->cubeMap : nullptr;
    if (cube && (!cube->read || cube->path != result->cubeMapFile)) cube = nullptr;
    const gfx::HRESULT made =
        scene->box.Create(device, result->cubeMapFile.c_str(), cube ? &cube->file : nullptr,
                          cube ? &cube->support : nullptr);
    if (cube) *cube = PreparedCubeMap{};  // its bytes are the texture's now
    if (gfx::Failed(made)) {
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
    if (!scene->effect) {
        std::string reason = FirstErrorLine(result->effectFailure);
        if (reason.empty()) reason = "the device refused the vertex declaration";
        result->failures.push_back(
            SceneFileFailure{SceneFile::Effect, -1, scene->effectDisplayPath, reason});
    }
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
    LoadStop stop{&hooks, Stopped};
    std::vector<SceneFileFailure> modelFailures;
    result->stopped =
        !LoadModelFiles(model, device, description, report, stop, &modelFailures, prepared);
    result->failures.insert(result->failures.end(), modelFailures.begin(), modelFailures.end());
    result->clipsLoaded = ClipsWithKeyframes(model);
    result->clipFiles = static_cast<int>(description.clipPaths.size());
    // After a stop the clip is not looked for: the program is quitting.
    if (!result->stopped && stop.Requested()) result->stopped = true;
    const int clip = description.clip;
    const bool clipMissing = clip >= model.clipCount || model.clips[clip].frameCount == 0;
    if ((clip > 0 || description.clipRequired) && clipMissing && !result->stopped) {
        result->failure = SceneFailure::ClipMissing;
        return false;
    }
    return true;
}
