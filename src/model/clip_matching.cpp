// Which clip bone drives which bone of a mesh: by place when the clip names
// its bones as the mesh does at the same places (a clip made with its model),
// otherwise by name, with the bones left out listed once in the notes.
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/printable_text.h"
#include "model/skinned_model.h"
#include "platform/files.h"

namespace {

// The names of a list of bones for a note: "a", "b", "c".
std::string NameList(const Bone* bones, const std::vector<int>& which) {
    std::string out;
    for (size_t i = 0; i < which.size(); ++i) {
        out += i ? ", \"" : "\"";
        out += PrintableText(bones[which[i]].name);
        out += '"';
    }
    return out;
}

}  // namespace

bool SkinnedModel::MatchClipBones(int meshIndex, int clipIndex, const ReportSink& report,
                                  const char* what) {
    ModelMesh& mesh = meshes[meshIndex];
    AnimationClip& clip = clips[clipIndex];
    if (size_t(meshIndex) < clip.meshBones.size()) clip.meshBones[size_t(meshIndex)].clear();
    if (!clip.frames || clip.frameCount <= 0 || !mesh.bones || mesh.boneCount <= 0) return false;
    const Bone* clipBones = clip.frames[0];
    const int common = mesh.boneCount < clip.boneCount ? mesh.boneCount : clip.boneCount;
    bool alike = true;
    for (int k = 0; k < common && alike; ++k)
        alike = std::string_view(mesh.bones[k].name) == std::string_view(clipBones[k].name);
    if (alike) return false;

    // Each name to its first bone in the clip.
    std::unordered_map<std::string_view, int> byName;
    byName.reserve(size_t(clip.boneCount));
    for (int b = clip.boneCount - 1; b >= 0; --b) byName[std::string_view(clipBones[b].name)] = b;
    if (clip.meshBones.size() <= size_t(meshIndex)) clip.meshBones.resize(size_t(meshIndex) + 1);
    std::vector<int>& source = clip.meshBones[size_t(meshIndex)];
    source.assign(size_t(mesh.boneCount), -1);
    std::vector<bool> used(size_t(clip.boneCount), false);
    std::vector<int> missing, unused;
    for (int k = 0; k < mesh.boneCount; ++k) {
        auto found = byName.find(std::string_view(mesh.bones[k].name));
        if (found == byName.end()) {
            missing.push_back(k);
            continue;
        }
        source[size_t(k)] = found->second;
        used[size_t(found->second)] = true;
    }
    for (int b = 0; b < clip.boneCount; ++b)
        if (!used[size_t(b)]) unused.push_back(b);

    if (!what) return true;
    report.NoteFormat(
        "%s names its bones unlike the model at the same places: its bones drive the model's "
        "bones of the same name",
        what);
    if (!unused.empty())
        report.NoteFormat("%s: bones not in the model, not used: %s", what,
                          NameList(clipBones, unused).c_str());
    if (!missing.empty())
        report.NoteFormat("%s: model bones not in the clip, they keep their pose: %s", what,
                          NameList(mesh.bones, missing).c_str());
    return true;
}

void SkinnedModel::MatchClipToMeshes(const LoadContext& context, const char* path, int clipIndex) {
    const std::string what = "animation " + NameIn(context.baseFolder, path);
    // Noted for the first mesh matched by name only: meshes that share a
    // skeleton would repeat the same lists.
    bool byName = false;
    for (int m = 0; m < meshCount; ++m)
        byName =
            MatchClipBones(m, clipIndex, context.report, byName ? nullptr : what.c_str()) || byName;
    // Clips matched by place keep the note on a bone count that differs.
    if (!byName) NoteBoneMismatch(context, path, clips[clipIndex]);
}

void SkinnedModel::MatchMeshToClips(const LoadContext& context, const char* path, int meshIndex) {
    for (int c = 0; c < clipCount; ++c) {
        const std::string what =
            "clip " + std::to_string(c) + " of the model " + NameIn(context.baseFolder, path);
        MatchClipBones(meshIndex, c, context.report, what.c_str());
    }
}
