#include "model/animation_clip.h"

#include <new>

bool AnimationClip::AllocateFrames(int newFrameCount, int newBoneCount) {
    if (newFrameCount <= 0 || newBoneCount <= 0) return false;
    if (frames) ReleaseFrames();
    frameCount = newFrameCount;
    boneCount = newBoneCount;
    frames = new (std::nothrow) Bone*[newFrameCount]();
    if (!frames) {
        frameCount = 0;
        return false;
    }
    for (int f = 0; f < newFrameCount; ++f) {
        frames[f] = new (std::nothrow) Bone[newBoneCount];
        if (!frames[f]) {
            for (int g = f - 1; g >= 0; --g) delete[] frames[g];
            delete[] frames;
            frames = nullptr;
            frameCount = 0;
            return false;
        }
    }
    return true;
}

void AnimationClip::ReleaseFrames() {
    if (!frames) return;
    for (int f = 0; f < frameCount; ++f) delete[] frames[f];
    delete[] frames;
    frames = nullptr;
    // No keyframes are left to address; playback checks frameCount.
    frameCount = 0;
    boneCount = 0;
    meshBones.clear();
}

void AnimationClip::TakeFramesFrom(AnimationClip& other) {
    if (&other == this) return;
    ReleaseFrames();
    frameCount = other.frameCount;
    boneCount = other.boneCount;
    frames = other.frames;
    meshBones = std::move(other.meshBones);
    other.meshBones.clear();
    other.frames = nullptr;
    other.frameCount = 0;
    other.boneCount = 0;
}
