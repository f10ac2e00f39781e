// The panel's widgets, one section each (panel_clips.cpp, panel_camera.cpp,
// panel_display.cpp, panel_information.cpp), bound to the state the frame
// reads. Each runs inside the panel's ImGui window.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

struct PlaybackControl;
struct ViewOptions;
struct FrameSettings;
struct Scene;
struct PanelMessages;
struct SkinnedModel;

// What the widgets show and change; borrowed, a null pointer leaves its
// widgets out.
struct PanelTargets {
    PlaybackControl* playback = nullptr;
    ViewOptions* view = nullptr;
    FrameSettings* frame = nullptr;
    Scene* scene = nullptr;
    const Matrix4* world = nullptr;  // for the model's bounds
    const PanelMessages* messages = nullptr;
    bool* vsync = nullptr;  // present waits for the display's refresh
};

// What the sections keep from frame to frame: the bounds, worked out again
// only when the model or its clip changes.
struct PanelSectionState {
    const SkinnedModel* boundsModel = nullptr;
    int boundsClip = -1;
    bool boundsKnown = false;
    Vector3 low, high;
};

// What the widgets do to the state they are bound to, apart from drawing
// them (the panel's tests drive these).
enum class ShadingChoice { Reflect, Refract, Textured, PlainLit };
inline constexpr float kReflectRatio = 2.0f;  // fRef of "reflect" (key 1)
inline constexpr float kRefractRatio = 0.5f;  // fRef of "refract" (key 2)
ShadingChoice ShadingChoiceOf(const ViewOptions& view, const FrameSettings& frame);
// Reflect and refract draw with the effect and set its fRef; the others
// keep fRef for when the effect comes back.
void ChooseShading(ShadingChoice choice, ViewOptions* view, FrameSettings* frame);
// Clip `clip` plays from where it stands.
void PlayClip(int clip, FrameSettings* frame, PlaybackControl* playback);
// One keyframe back (-1) or forward (+1), paused there.
void StepKeyframe(int keyframes, const FrameSettings& frame, PlaybackControl* playback,
                  SkinnedModel* model);
// The slider: the clip paused at `position`.
void ScrubClip(float position, const FrameSettings& frame, PlaybackControl* playback,
               SkinnedModel* model);

void PanelClips(const PanelTargets& targets);
void PanelCamera(const PanelTargets& targets);
void PanelDisplay(const PanelTargets& targets);
void PanelInformation(const PanelTargets& targets, PanelSectionState* state);
