// One loaded animation: a model-space pose of every bone per keyframe, plus
// the clip's own playback position.
#pragma once

#include "model/bone.h"

struct AnimationClip {
    int frameCount = 0;
    int boneCount = 0;
    // frames[f][b] is bone b in keyframe f.
    Bone** frames = nullptr;
    // Weight of nextFrame in the blended pose.
    float blend = 0.0f;
    int currentFrame = 0;
    int nextFrame = 0;

    AnimationClip() = default;
    AnimationClip(const AnimationClip&) = delete;
    AnimationClip& operator=(const AnimationClip&) = delete;
    ~AnimationClip() { ReleaseFrames(); }

    // Replaces frames with frameCount arrays of boneCount default bones, all
    // or nothing. False (clip unchanged) when either count is below 1.
    bool AllocateFrames(int frameCount, int boneCount);
    // Releases every keyframe array and the table and zeroes both counts;
    // playback state (blend, currentFrame, nextFrame) stays.
    void ReleaseFrames();
    // Releases this clip's frames and takes over other's frames and counts
    // (not its playback state), leaving other without frames.
    void TakeFramesFrom(AnimationClip& other);
};
