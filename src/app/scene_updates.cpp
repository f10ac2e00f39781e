// Changes of the running scene after start-up: files dropped on the window
// and, in watch mode, files saved. Each change is built on the side and put
// in place only when its file loaded (scene/scene_changes.h). Notes go to
// the live report sink (stderr, never a box); a file that does not load is
// shown in red under the HUD until it loads, leaves the scene, or (a file of
// a drop) the next drop comes.
#include <algorithm>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/drop_plan.h"
#include "model/skinned_model.h"
#include "platform/files.h"
#include "scene/scene_changes.h"

namespace {

std::vector<std::string> PathsOf(const std::vector<SceneFileEntry>& files) {
    std::vector<std::string> paths;
    paths.reserve(files.size());
    for (const SceneFileEntry& entry : files) paths.push_back(entry.path);
    return paths;
}

}  // namespace

void Application::ShowFailures(const std::vector<SceneFileFailure>& failures) {
    for (const SceneFileFailure& failure : failures) {
        std::string reason = failure.reason;
        if (failure.file == SceneFile::CubeMap && reason.empty()) {
            reason = CubeMapReason(failure.path);
            services.liveReport.NoteFormat("cannot load the cube map %s: %s", failure.path.c_str(),
                                           reason.c_str());
        }
        alerts.Set(failure.path, AlertText(failure.path, reason));
    }
}

void Application::OnPaint() {
    // While the loop draws, its next frame shows the picture again; a window
    // that has drawn nothing yet has nothing to show.
    if (DrawsWhileIdle() || framesDrawn == 0 || !renderer.device) return;
    renderer.device->Present(nullptr, nullptr, nullptr, nullptr);
}

void Application::OnDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0), '\0');
        DragQueryFileA(drop, i, path.data(), UINT(path.size() + 1));
        if (!path.empty()) paths.push_back(path);
    }
    DragFinish(drop);
    if (!paths.empty()) OpenFiles(paths);
}

void Application::OpenFiles(const std::vector<std::string>& paths) {
    const ReportSink& report = services.liveReport;
    gfx::Device* device = renderer.device;
    // The lines of the last drop's files go with this one.
    alerts.KeepOnly(PathsOf(ListSceneFiles(scene)));

    DropPlan plan = PlanDrop(paths);
    std::vector<std::string> shown;  // this drop's files that stay in red
    for (const DropPlan::Refusal& refused : plan.refused) {
        report.NoteFormat("%s: %s", refused.path.c_str(), refused.why.c_str());
        alerts.Set(refused.path, AlertText(refused.path, refused.why));
        shown.push_back(refused.path);
    }

    std::vector<SceneFileFailure> failures;
    if (!plan.reference.empty()) {
        if (ReplaceModel(scene, device, plan.reference, plan.clips, report, &failures)) {
            settings.clipIndex = 0;
            FrameCharacter();
            report.NoteFormat("model %s loaded with %zu animation file(s)", plan.reference.c_str(),
                              plan.clips.size());
        } else if (!plan.clips.empty()) {
            report.NoteFormat("the animation files dropped with %s are not added: it did not load",
                              plan.reference.c_str());
        }
    } else {
        bool playing = false;
        for (const std::string& clip : plan.clips) {
            if (!AddClip(scene, clip, report, &failures)) continue;
            const int slot = scene.model->clipCount - 1;
            report.NoteFormat("animation %s added as clip %d", clip.c_str(), slot);
            if (!playing) settings.clipIndex = slot;  // the drop's first clip plays
            playing = true;
        }
    }
    if (!plan.cubeMap.empty() && ReplaceCubeMap(scene, device, plan.cubeMap, &failures))
        report.NoteFormat("cube map %s loaded", plan.cubeMap.c_str());
    if (!plan.effect.empty()) {
        std::string text;
        if (ReplaceEffect(scene, device, plan.effect, &failures, &text))
            report.NoteFormat("effect %s compiled", plan.effect.c_str());
        else
            report.Note(
                ("effect " + plan.effect + " not compiled, the running effect stays:\n" + text)
                    .c_str());
    }
    ShowFailures(failures);
    for (const SceneFileFailure& failure : failures) shown.push_back(failure.path);

    // Lines stay for the scene's files and this drop's failures; a file that
    // loaded loses its line.
    std::vector<std::string> keep = PathsOf(ListSceneFiles(scene));
    keep.insert(keep.end(), shown.begin(), shown.end());
    alerts.KeepOnly(keep);
    for (const std::string& path : paths)
        if (std::find(shown.begin(), shown.end(), path) == shown.end()) alerts.Clear(path);

    if (options.watch) WatchSceneFiles();
    // Another window may have the focus (the one the files came from): the
    // change is drawn once all the same.
    if (!DrawsWhileIdle()) RenderFrame();
}

void Application::WatchSceneFiles() {
    watchedFiles = ListSceneFiles(scene);
    std::string error;
    if (!sceneWatch.Watch(PathsOf(watchedFiles), &error))
        services.liveReport.Note(("cannot watch the scene's files: " + error).c_str());
}

void Application::ReloadChangedFiles() {
    const std::vector<size_t> changed = sceneWatch.ChangedFiles();
    if (changed.empty()) return;
    bool reference = false, cubeMap = false, effect = false;
    std::vector<int> clips;
    for (size_t index : changed) {
        if (index >= watchedFiles.size()) continue;
        const SceneFileEntry& entry = watchedFiles[index];
        switch (entry.file) {
        case SceneFile::Reference: reference = true; break;
        case SceneFile::Clip: clips.push_back(entry.clip); break;
        case SceneFile::CubeMap: cubeMap = true; break;
        case SceneFile::Effect: effect = true; break;
        }
    }
    const ReportSink& report = services.liveReport;
    gfx::Device* device = renderer.device;
    const SceneDescription& files = scene.description;
    auto shownPath = [&](const std::string& path) {
        return DisplayPathIn(files.baseFolder, path.c_str());
    };
    std::vector<SceneFileFailure> failures;
    if (reference) {
        const std::string path = shownPath(files.referencePath);
        if (ReloadReference(scene, device, report, &failures)) {
            report.NoteFormat("model %s loaded again", path.c_str());
            alerts.Clear(path);
        }
    }
    for (int slot : clips) {
        if (slot < 0 || size_t(slot) >= files.clipPaths.size()) continue;
        const std::string path = shownPath(files.clipPaths[size_t(slot)]);
        if (ReloadClip(scene, slot, report, &failures)) {
            report.NoteFormat("animation %s loaded again as clip %d", path.c_str(), slot);
            alerts.Clear(path);
        }
    }
    if (cubeMap) {
        const std::string path = shownPath(files.cubeMapPath);
        if (ReplaceCubeMap(scene, device, std::string(files.cubeMapPath), &failures)) {
            report.NoteFormat("cube map %s loaded again", path.c_str());
            alerts.Clear(path);
        }
    }
    if (effect) {
        const std::string path = scene.effectDisplayPath;
        std::string text;
        if (ReplaceEffect(scene, device, std::string(files.effectPath), &failures, &text)) {
            report.NoteFormat("effect %s compiled again", path.c_str());
            alerts.Clear(path);
        } else {
            report.Note(
                ("effect " + path + " not compiled, the running effect stays:\n" + text).c_str());
        }
    }
    ShowFailures(failures);
    // A reference loaded again may name other textures.
    if (reference) WatchSceneFiles();
}
