#include "scene/model_files.h"

#include "model/skinned_model.h"
#include "platform/files.h"

std::string ReasonOf(const SmdLoadFailure& failure) {
    std::string text = failure.text;
    if (failure.result == SmdLoadResult::Unreadable) {
        // "PATH: reason" from the file reader.
        size_t colon = text.rfind(": ");
        if (colon != std::string::npos) text = text.substr(colon + 2);
    }
    if (failure.line > 0) return "line " + std::to_string(failure.line) + ": " + text;
    return text;
}

ReferenceFile ReferenceFileOf(const SceneDescription& description) {
    const std::string& path = description.referencePath;
    if (path.empty() || (path[0] != '/' && path[0] != '\\'))
        return ReferenceFile{description.baseFolder, path};
    // Resolved first, so that a folder written in another letter case is found.
    std::string resolved = ResolvePath(path.c_str());
    size_t slash = resolved.rfind('/');
    return ReferenceFile{resolved.substr(0, slash + 1), resolved.substr(slash + 1)};
}

bool LoadReferenceFile(SkinnedModel& model, gfx::Device* device,
                       const SceneDescription& description, const ReportSink& report,
                       std::vector<SceneFileFailure>* failures, PreparedReference* prepared) {
    if (description.referencePath.empty()) return true;
    ReferenceFile file = ReferenceFileOf(description);
    const bool parsed = prepared && prepared->parsed && prepared->file.folder == file.folder &&
                        prepared->file.path == file.path;
    smd::Reference* reference = parsed ? &prepared->reference : nullptr;
    if (parsed) prepared->parsed = false;  // taken
    SmdLoadFailure failure;
    if (model.LoadReference(device, file.path.c_str(), LoadContext{file.folder, report}, &failure,
                            reference))
        return true;
    failures->push_back(
        SceneFileFailure{SceneFile::Reference, -1,
                         DisplayPathIn(description.baseFolder, description.referencePath.c_str()),
                         ReasonOf(failure)});
    return false;
}

bool LoadClipFile(SkinnedModel& model, const SceneDescription& description, const std::string& path,
                  bool keepSlot, const ReportSink& report, std::vector<SceneFileFailure>* failures,
                  PreparedClip* prepared) {
    const bool parsed = prepared && prepared->parsed && prepared->path == path;
    smd::Animation* animation = parsed ? &prepared->animation : nullptr;
    if (parsed) prepared->parsed = false;  // taken
    SmdLoadFailure failure;
    const int slot = model.clipCount;
    if (model.LoadAnimation(path.c_str(), LoadContext{description.baseFolder, report}, &failure,
                            animation))
        return true;
    if (keepSlot && model.clipCount < kMaxClips) {
        model.clips[model.clipCount].ReleaseFrames();
        ++model.clipCount;
    }
    failures->push_back(SceneFileFailure{SceneFile::Clip, slot,
                                         DisplayPathIn(description.baseFolder, path.c_str()),
                                         ReasonOf(failure)});
    return false;
}

bool LoadModelFiles(SkinnedModel& model, gfx::Device* device, const SceneDescription& description,
                    const ReportSink& report, const LoadStop& stop,
                    std::vector<SceneFileFailure>* failures, PreparedSceneFiles* prepared) {
    if (!description.referencePath.empty()) {
        if (stop.Requested()) return false;
        LoadReferenceFile(model, device, description, report, failures,
                          prepared ? &prepared->reference : nullptr);
    }
    for (size_t c = 0; c < description.clipPaths.size(); ++c) {
        if (stop.Requested()) return false;
        PreparedClip* clip = prepared && c < prepared->clips.size() ? &prepared->clips[c] : nullptr;
        LoadClipFile(model, description, description.clipPaths[c], true, report, failures, clip);
    }
    return true;
}
