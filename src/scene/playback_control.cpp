#include "scene/playback_control.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/skinned_model.h"

namespace {

// A longer gap between two frames (the window was moved, the program was
// stopped in a debugger) moves the clip as far as this much time would.
constexpr double kMaxFrameSeconds = 1.0;

// The clip `clip` of the model when it has keyframes; null otherwise.
AnimationClip* LoadedClip(const SkinnedModel* model, int clip) {
    if (!model || !model->clips || clip < 0 || clip >= model->clipCount) return nullptr;
    AnimationClip& loaded = model->clips[clip];
    return loaded.frameCount > 0 && loaded.frames ? &loaded : nullptr;
}

}  // namespace

float PlaybackControl::StepFor(double seconds) const {
    if (!playing) return 0.0f;
    // Out of range or not a number: the nearest bound, or 1×.
    const float rate = speed >= kMinPlaybackSpeed  ? std::min(speed, kMaxPlaybackSpeed)
                       : speed < kMinPlaybackSpeed ? kMinPlaybackSpeed
                                                   : 1.0f;
    if (timing == PlaybackTiming::PerFrame)
        return std::isfinite(perFrameStep) && perFrameStep > 0.0f ? perFrameStep * rate : 0.0f;
    if (!(seconds > 0.0) || !std::isfinite(keyframesPerSecond) || keyframesPerSecond <= 0.0f)
        return 0.0f;
    return float(std::min(seconds, kMaxFrameSeconds) * double(keyframesPerSecond) * double(rate));
}

float ClipPosition(const SkinnedModel& model, int clip) {
    const AnimationClip* loaded = LoadedClip(&model, clip);
    return loaded ? loaded->Position() : 0.0f;
}

bool SeekClip(SkinnedModel* model, int clip, float position) {
    AnimationClip* loaded = LoadedClip(model, clip);
    return loaded && loaded->Seek(position);
}

bool StepClip(SkinnedModel* model, int clip, int keyframes, bool loop) {
    AnimationClip* loaded = LoadedClip(model, clip);
    if (!loaded) return false;
    const int64_t count = loaded->frameCount;
    int64_t target = int64_t(std::floor(loaded->Position())) + keyframes;
    target = loop ? ((target % count) + count) % count : std::clamp<int64_t>(target, 0, count - 1);
    return loaded->Seek(float(target));
}
