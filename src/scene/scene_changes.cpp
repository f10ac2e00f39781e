#include "scene/scene_changes.h"

#include <memory>
#include <new>

#include "model/skinned_model.h"
#include "platform/files.h"
#include "scene/effect_reload.h"
#include "scene/effect_setup.h"
#include "scene/model_files.h"

namespace {

std::unique_ptr<SkinnedModel> NewModel() {
    return std::unique_ptr<SkinnedModel>(new (std::nothrow) SkinnedModel());
}

void NoMemory(SceneFile file, const std::string& path, std::vector<SceneFileFailure>* failures) {
    failures->push_back(SceneFileFailure{file, -1, path, "out of memory"});
}

}  // namespace

bool ReplaceModel(Scene& scene, gfx::Device* device, const std::string& reference,
                  const std::vector<std::string>& clips, const ReportSink& report,
                  std::vector<SceneFileFailure>* failures) {
    SceneDescription description = scene.description;
    description.referencePath = reference;
    description.clipPaths = clips;
    std::unique_ptr<SkinnedModel> fresh = NewModel();
    if (!fresh) {
        NoMemory(SceneFile::Reference, reference, failures);
        return false;
    }
    // The reference first: when it does not load, the clips that came for
    // it are not read at all.
    if (!LoadReferenceFile(*fresh, device, description, report, failures)) return false;
    for (const std::string& clip : clips)
        LoadClipFile(*fresh, description, clip, true, report, failures);
    delete scene.model;
    scene.model = fresh.release();
    scene.description.referencePath = reference;
    scene.description.clipPaths = clips;
    return true;
}

bool ReloadReference(Scene& scene, gfx::Device* device, const ReportSink& report,
                     std::vector<SceneFileFailure>* failures) {
    std::unique_ptr<SkinnedModel> fresh = NewModel();
    if (!fresh) {
        NoMemory(SceneFile::Reference, scene.description.referencePath, failures);
        return false;
    }
    if (!LoadReferenceFile(*fresh, device, scene.description, report, failures)) return false;
    if (SkinnedModel* old = scene.model) {
        for (int c = 0; c < old->clipCount; ++c) {
            AnimationClip& from = old->clips[c];
            AnimationClip& to = fresh->clips[c];
            to.TakeFramesFrom(from);
            to.blend = from.blend;
            to.currentFrame = from.currentFrame;
            to.nextFrame = from.nextFrame;
        }
        fresh->clipCount = old->clipCount;
        fresh->currentClip = old->currentClip;
        delete old;
    }
    scene.model = fresh.release();
    return true;
}

bool AddClip(Scene& scene, const std::string& path, const ReportSink& report,
             std::vector<SceneFileFailure>* failures) {
    if (!scene.model) {
        scene.model = NewModel().release();
        if (!scene.model) {
            NoMemory(SceneFile::Clip, path, failures);
            return false;
        }
    }
    if (!LoadClipFile(*scene.model, scene.description, path, false, report, failures)) return false;
    scene.description.clipPaths.resize(size_t(scene.model->clipCount - 1));
    scene.description.clipPaths.push_back(path);
    return true;
}

bool ReloadClip(Scene& scene, int slot, const ReportSink& report,
                std::vector<SceneFileFailure>* failures) {
    SkinnedModel* model = scene.model;
    if (!model || slot < 0 || slot >= model->clipCount ||
        size_t(slot) >= scene.description.clipPaths.size())
        return false;
    const std::string& path = scene.description.clipPaths[size_t(slot)];
    // Read into a model of its own: the running clip stays until the new
    // keyframes are all there.
    std::unique_ptr<SkinnedModel> scratch = NewModel();
    if (!scratch) {
        NoMemory(SceneFile::Clip, path, failures);
        return false;
    }
    if (!LoadClipFile(*scratch, scene.description, path, false, report, failures)) {
        failures->back().clip = slot;
        return false;
    }
    AnimationClip& clip = model->clips[slot];
    clip.TakeFramesFrom(scratch->clips[0]);
    clip.blend = 0.0f;
    clip.currentFrame = 0;
    clip.nextFrame = 0;
    model->NoteBoneMismatch(LoadContext{scene.description.baseFolder, report}, path.c_str(), clip);
    return true;
}

bool ReplaceCubeMap(Scene& scene, gfx::Device* device, const std::string& path,
                    std::vector<SceneFileFailure>* failures) {
    const std::string& base = scene.description.baseFolder;
    gfx::CubeTexture* fresh = nullptr;
    if (gfx::Failed(gfx::D3DXCreateCubeTextureFromFileA(device, PathIn(base, path.c_str()).c_str(),
                                                        &fresh))) {
        gfx::SafeRelease(fresh);
        failures->push_back(
            SceneFileFailure{SceneFile::CubeMap, -1, DisplayPathIn(base, path.c_str()), ""});
        return false;
    }
    gfx::SafeRelease(scene.box.environmentMap);
    scene.box.environmentMap = fresh;
    scene.description.cubeMapPath = path;
    return true;
}

bool ReplaceEffect(Scene& scene, gfx::Device* device, const std::string& path,
                   std::vector<SceneFileFailure>* failures, std::string* compilerText) {
    const std::string& base = scene.description.baseFolder;
    const std::string display = DisplayPathIn(base, path.c_str());
    std::string text;
    if (!scene.vertexDeclaration)
        device->CreateVertexDeclaration(kSkinVertexElements, &scene.vertexDeclaration);
    if (!scene.vertexDeclaration) {
        text = "the device refused the vertex declaration";
    } else if (RecompileEffect(device, PathIn(base, path.c_str()).c_str(), scene.effect,
                               scene.technique, &text)) {
        scene.effectFile = PathIn(base, path.c_str());
        scene.effectDisplayPath = display;
        scene.description.effectPath = path;
        if (compilerText) compilerText->clear();
        return true;
    }
    failures->push_back(SceneFileFailure{SceneFile::Effect, -1, display, FirstErrorLine(text)});
    if (compilerText) *compilerText = text;
    return false;
}
