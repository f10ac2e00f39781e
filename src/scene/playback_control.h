// How the clip that plays moves: per drawn frame (a fixed keyframe step each
// frame) or in real time at the clip's rate, paused, stepped, scrubbed, at a
// speed, looping or stopping at the end. Plain state the panel and the keys
// change; the frame asks it how far to move.
#pragma once

struct SkinnedModel;

enum class PlaybackTiming {
    PerFrame,  // perFrameStep keyframes each drawn frame
    RealTime,  // keyframesPerSecond × speed keyframes each second
};

inline constexpr float kMinPlaybackSpeed = 0.1f;
inline constexpr float kMaxPlaybackSpeed = 4.0f;
inline constexpr float kDefaultKeyframesPerSecond = 30.0f;
inline constexpr float kDefaultPerFrameStep = 0.01f;

struct PlaybackControl {
    PlaybackTiming timing = PlaybackTiming::PerFrame;
    bool playing = true;
    bool loop = true;
    float speed = 1.0f;  // kMinPlaybackSpeed .. kMaxPlaybackSpeed
    float keyframesPerSecond = kDefaultKeyframesPerSecond;
    float perFrameStep = kDefaultPerFrameStep;

    // Keyframes the clip moves this frame, `seconds` after the last one: 0
    // while paused.
    float StepFor(double seconds) const;
};

// Where clip `clip` of the model stands: keyframe index plus the blend
// towards the next one (0 <= position < frameCount); 0 for a clip that is
// not loaded.
float ClipPosition(const SkinnedModel& model, int clip);
// Puts clip `clip` at `position` (clamped to [0, frameCount - 1]); the next
// frame draws that pose. False for a clip that is not loaded.
bool SeekClip(SkinnedModel* model, int clip, float position);
// One keyframe back (-1) or forward (+1) from the keyframe the clip stands
// on, wrapping at the ends when `loop`, else stopping there.
bool StepClip(SkinnedModel* model, int clip, int keyframes, bool loop);
