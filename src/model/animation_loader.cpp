// Animation files: parsed into keyframes that take the next clip slot.
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "model/skinned_model.h"
#include "model/smd/smd_parser.h"
#include "model/smd_file_load.h"
#include "platform/files.h"

namespace {

// Hands the parsed keyframe arrays to clip under a table of its own. False
// when there is no memory for the table.
bool MoveFrames(smd::Animation& parsed, AnimationClip* clip) {
    if (parsed.frameCount == 0) return true;  // no time or no node lines: a clip without keyframes
    clip->frames = new (std::nothrow) Bone*[size_t(parsed.frameCount)];
    if (!clip->frames) return false;
    clip->frameCount = parsed.frameCount;
    clip->boneCount = parsed.boneCount;
    for (int f = 0; f < parsed.frameCount; ++f)
        clip->frames[f] = parsed.frames[size_t(f)].release();
    return true;
}

}  // namespace

void SkinnedModel::NoteBoneMismatch(const LoadContext& context, const char* path,
                                    const AnimationClip& clip) const {
    for (int m = 0; m < meshCount; ++m) {
        int reference = meshes[m].boneCount;
        if (clip.frameCount == 0 || clip.boneCount == reference) continue;
        if (clip.boneCount < reference) {
            context.report.NoteFormat(
                "animation %s has %d bones, the model %d: bones %d to %d keep their pose",
                NameIn(context.baseFolder, path).c_str(), clip.boneCount, reference, clip.boneCount,
                reference - 1);
        } else {
            context.report.NoteFormat(
                "animation %s has %d bones, the model %d: its bones %d to %d are not used",
                NameIn(context.baseFolder, path).c_str(), clip.boneCount, reference, reference,
                clip.boneCount - 1);
        }
        return;
    }
}

bool SkinnedModel::LoadAnimation(const char* path, const LoadContext& context,
                                 SmdLoadFailure* failure, smd::Animation* prepared) {
    if (!path) return false;
    if (clipCount >= kMaxClips) {
        smd::ReportRefusal(context, path, "all 32 animation clip slots are in use", failure);
        return false;
    }

    smd::Animation parsed;
    smd::ParseStatus status;
    if (!smd::TakeOrParse(context, path, prepared, smd::ParseAnimation, &parsed, &status, failure))
        return false;
    AnimationClip clip;
    if (status.result == SmdLoadResult::Ok && !MoveFrames(parsed, &clip)) {
        status = {SmdLoadResult::Malformed, 0,
                  "not enough memory for " + std::to_string(parsed.frameCount) + " keyframes of " +
                      std::to_string(parsed.boneCount) + " bones"};
    }
    if (status.result != SmdLoadResult::Ok) {
        smd::ReportParseFailure(context, path, status, failure);
        return false;
    }
    // The slot is replaced only now that the whole file has been read.
    clips[clipCount].TakeFramesFrom(clip);
    ++clipCount;
    MatchClipToMeshes(context, path, clipCount - 1);
    return true;
}
