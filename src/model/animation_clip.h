// One loaded animation: a model-space pose of every bone per keyframe, plus
// the clip's own playback position.
#pragma once

#include <cstddef>
#include <vector>

#include "model/bone.h"

// How SkinnedModel::UpdateAndDraw moves a clip on after drawing it.
struct ClipMotion {
    // Past the last keyframe back to the first; else the clip stops on its
    // last keyframe and holds it.
    bool loop = true;
    // The part of the blend past the next keyframe moves on into the
    // keyframes after it (real-time playback, where one frame may cover
    // several keyframes); else it is dropped, and each keyframe interval
    // lasts whole frames (per-frame playback).
    bool carry = false;
};

struct AnimationClip {
    int frameCount = 0;
    int boneCount = 0;
    // frames[f][b] is bone b in keyframe f.
    Bone** frames = nullptr;
    // Weight of nextFrame in the blended pose.
    float blend = 0.0f;
    int currentFrame = 0;
    int nextFrame = 0;
    // By mesh index, for a mesh whose bones the clip does not name alike at
    // the same places: meshBones[m][k] is the clip bone of the same name as
    // bone k of mesh m, or -1 when the clip has none. No entry (or an empty
    // one): the bones are matched by place.
    std::vector<std::vector<int>> meshBones;

    AnimationClip() = default;
    AnimationClip(const AnimationClip&) = delete;
    AnimationClip& operator=(const AnimationClip&) = delete;
    ~AnimationClip() { ReleaseFrames(); }

    // Replaces frames with frameCount arrays of boneCount default bones, all
    // or nothing. False (clip unchanged) when either count is below 1.
    bool AllocateFrames(int frameCount, int boneCount);
    // Where the clip stands: the pose the next draw shows when the clip is
    // not moved before it, as keyframe index plus the blend towards the
    // next keyframe (0 <= position < frameCount); 0 without keyframes. The
    // pose is lerp(frames[k], frames[k + 1, or 0 past the end], blend) for
    // position k + blend, whether the clip got there by playing or by Seek.
    float Position() const;
    // Puts the clip at position (clamped to [0, frameCount - 1]; not a
    // number: 0), so that Position() gives it back. False (unchanged)
    // without keyframes.
    bool Seek(float position);

    // Releases every keyframe array and the table and zeroes both counts;
    // playback state (blend, currentFrame, nextFrame) stays.
    void ReleaseFrames();
    // Releases this clip's frames and takes over other's frames and counts
    // (not its playback state), leaving other without frames.
    void TakeFramesFrom(AnimationClip& other);
    // The clip bone that drives bone `bone` of mesh `mesh`, or -1 when the
    // clip has none for it (that bone keeps the matrix it has).
    int SourceBone(int mesh, int bone) const {
        if (mesh >= 0 && std::size_t(mesh) < meshBones.size() &&
            !meshBones[std::size_t(mesh)].empty()) {
            const std::vector<int>& bones = meshBones[std::size_t(mesh)];
            return bone >= 0 && std::size_t(bone) < bones.size() ? bones[std::size_t(bone)] : -1;
        }
        return bone >= 0 && bone < boneCount ? bone : -1;
    }
};
