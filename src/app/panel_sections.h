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
};

// What the sections keep from frame to frame: the bounds, worked out again
// only when the model or its clip changes.
struct PanelSectionState {
    const SkinnedModel* boundsModel = nullptr;
    int boundsClip = -1;
    bool boundsKnown = false;
    Vector3 low, high;
};

void PanelClips(const PanelTargets& targets);
void PanelCamera(const PanelTargets& targets);
void PanelDisplay(const PanelTargets& targets);
void PanelInformation(const PanelTargets& targets, PanelSectionState* state);
