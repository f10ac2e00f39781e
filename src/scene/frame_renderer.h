// One frame: clear, the effect's two passes (box, then model), the HUD,
// present, and the frame counted for the frame rate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/animation_clip.h"
#include "render/frame_rate_counter.h"
#include "scene/frame_capture.h"

struct Renderer;
struct Scene;

inline constexpr uint32_t kClearColor = 0xFF0000FFu;  // opaque blue
inline constexpr int kHudTextSize = 128;
inline constexpr int kMaxHudAlertLines = 6;

// What the input and the command line change between frames.
struct FrameSettings {
    int32_t fillMode = 3;             // 3 solid, 2 wireframe
    float animationTimeStep = 0.01f;  // keyframes per drawn frame
    float reflectionFactor = 2.0f;    // 2.0 reflection, 0.5 refraction
    int clipIndex = 0;                // the clip that plays
    // Playback: whether the clip loops, and whether a step past the next
    // keyframe carries on (real time) or is dropped (per drawn frame).
    ClipMotion clipMotion;
    // When the clip that plays has no keyframes (none loaded, or its file
    // did not), draw the meshes in their bind pose instead of leaving pass 1
    // empty.
    bool bindPoseWithoutClip = false;
    // Extra HUD lines in red below the seven, separated by '\n' (files that
    // did not load, the effect's first compile error), at most
    // kMaxHudAlertLines of them; null or empty: none.
    const char* hudAlert = nullptr;
    // When set, the frame's picture is taken before it is presented.
    FrameCapture* capture = nullptr;
};

// What the HUD keeps from frame to frame.
struct HudState {
    char text[kHudTextSize] = {};  // each line is formatted here
    float framesPerSecond = 0.0f;
    FrameRateCounter counter;
};

// The points between a frame's parts, in order, for whoever times them.
enum class FramePart {
    Cleared,     // Clear and BeginScene done
    Prepared,    // effect parameters, technique and Begin done
    SkyDrawn,    // pass 0 ended
    ModelDrawn,  // pass 1 and the effect ended
    HudDrawn,    // HUD lines and EndScene done
    Presented,   // Present done
    Counted,     // the frame counted for the frame rate
};

// Told of every FramePart the frame reaches (benchmarks time the parts of
// the program's own frame with it). Prepared, SkyDrawn and ModelDrawn come
// only with an effect; only Cleared, Presented and Counted after a failed
// BeginScene.
struct FrameTiming {
    void* context = nullptr;
    void (*reached)(void* context, FramePart part) = nullptr;
};

struct FrameRenderer {
    Renderer& renderer;
    Scene& scene;
    HudState& hud;
    FrameSettings settings;
    const FrameTiming* timing = nullptr;

    // Only BeginScene's result is looked at: when it fails nothing is drawn
    // and the scene is not ended, but the frame is presented and counted.
    // Without an effect only the HUD is drawn.
    void RenderFrame();
    // Light 0 and lighting off, the declaration, then one step of the clip
    // that plays over its whole length drawn in the fill mode. False when
    // nothing was drawn.
    bool DrawModel();
    // The red lines of settings.hudAlert.
    void DrawAlerts();

private:
    void Reached(FramePart part) const {
        if (timing && timing->reached) timing->reached(timing->context, part);
    }
};
