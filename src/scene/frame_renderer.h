// One frame: clear, the effect's two passes (box, then model), the HUD,
// present, and the frame counted for the frame rate. The view options
// change what is drawn (shading, culling, overlays, background, HUD); at
// their defaults the frame is exactly the one above.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/animation_clip.h"
#include "render/frame_rate_counter.h"
#include "math/matrix4.h"
#include "scene/frame_capture.h"
#include "scene/view_options.h"

struct DisplayResources;
struct SkinnedModel;
namespace gfx {
class Effect;
}
struct Renderer;
struct Scene;

inline constexpr uint32_t kClearColor = 0xFF0000FFu;  // opaque blue
inline constexpr int kHudTextSize = 128;
inline constexpr int kMaxHudAlertLines = 6;

// Drawn over the frame after the HUD, before EndScene (the viewer panel).
struct FrameOverlay {
    void* context = nullptr;
    void (*draw)(void* context) = nullptr;
};

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
    // How the scene is drawn (the viewer panel's display choices).
    ViewOptions view;
    // The viewer panel's hook; null: nothing over the HUD.
    const FrameOverlay* overlay = nullptr;
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
    SkyDrawn,    // pass 0 ended (none with a flat background)
    ModelDrawn,  // the model (pass 1 or the lit effect), its overlay and the effect ended
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
    // What the view options other than the defaults draw with; null: those
    // options draw nothing (the model in the scene's effect, no overlay).
    DisplayResources* display = nullptr;

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
    // The model in the lit built-in effect (settings.view.shading Textured or
    // PlainLit), placed by world (frame_lit_model.cpp). False when nothing
    // was drawn.
    bool DrawLitModel(const Matrix4& world);
    // Skeleton, normals and bounding box as the view options ask, over the
    // model (frame_overlay.cpp).
    void DrawOverlays(const Matrix4& world);

private:
    // One step of the clip that plays (none in the bind pose); false when
    // the model has nothing to draw.
    bool AdvancePose(SkinnedModel& model);
    bool DrawTexturedModel(gfx::Effect* effect);
    void Reached(FramePart part) const {
        if (timing && timing->reached) timing->reached(timing->context, part);
    }
};
