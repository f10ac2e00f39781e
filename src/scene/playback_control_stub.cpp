// A stand-in for playback_control.cpp so that the panel builds and runs
// before the playback work is merged; the merge deletes this file.
#include "model/skinned_model.h"
#include "scene/playback_control.h"

float PlaybackControl::StepFor(double seconds) const {
    if (!playing) return 0.0f;
    if (timing == PlaybackTiming::PerFrame) return perFrameStep * speed;
    return float(seconds) * keyframesPerSecond * speed;
}

float ClipPosition(const SkinnedModel& model, int clip) {
    if (clip < 0 || clip >= model.clipCount || model.clips[clip].frameCount == 0) return 0.0f;
    const AnimationClip& c = model.clips[clip];
    return float(c.currentFrame) + c.blend;
}

bool SeekClip(SkinnedModel* model, int clip, float position) {
    if (!model || clip < 0 || clip >= model->clipCount || model->clips[clip].frameCount == 0)
        return false;
    AnimationClip& c = model->clips[clip];
    const float last = float(c.frameCount - 1);
    position = position < 0.0f ? 0.0f : position > last ? last : position;
    c.currentFrame = int(position);
    c.blend = position - float(c.currentFrame);
    c.nextFrame = c.currentFrame + 1 < c.frameCount ? c.currentFrame + 1 : 0;
    return true;
}

bool StepClip(SkinnedModel* model, int clip, int keyframes, bool loop) {
    if (!model || clip < 0 || clip >= model->clipCount || model->clips[clip].frameCount == 0)
        return false;
    AnimationClip& c = model->clips[clip];
    int next = c.currentFrame + keyframes;
    if (loop) next = ((next % c.frameCount) + c.frameCount) % c.frameCount;
    next = next < 0 ? 0 : next >= c.frameCount ? c.frameCount - 1 : next;
    return SeekClip(model, clip, float(next));
}
