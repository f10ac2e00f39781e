// One frame: clear, the effect's two passes (box, then model), the HUD,
// present, and the frame counted for the frame rate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/core/device.h"
#include "scene/environment_box.h"
#include "scene/frame_capture.h"

struct Renderer;
struct SkinnedModel;
struct FrameRateCounter;

inline constexpr uint32_t kClearColor = 0xFF0000FFu;  // opaque blue

// What a frame reads and writes, borrowed from the owner's fields.
struct FrameRenderer {
    Renderer& renderer;
    gfx::Effect* effect;
    gfx::EffectHandle technique;
    gfx::VertexDeclaration* vertexDeclaration;
    EnvironmentBox box;
    SkinnedModel* model;
    int32_t fillMode;
    float animationTimeStep;
    float reflectionFactor;
    char* textBuffer;
    size_t textBufferSize;
    float& framesPerSecond;
    FrameRateCounter& frameRateCounter;
    // The clip that plays.
    int clipIndex = 0;
    // With no clip loaded, draw the meshes in their bind pose instead of
    // leaving pass 1 empty (a character given on the command line).
    bool bindPoseWithoutClip = false;
    // An extra HUD line in red below the seven (the effect's first compile
    // error in watch mode); null or empty: none.
    const char* hudAlert = nullptr;
    // When set, the frame's picture is taken before it is presented.
    FrameCapture* capture = nullptr;

    // Only BeginScene's result is looked at: when it fails nothing is drawn
    // and the scene is not ended, but the frame is presented and counted.
    // Without an effect only the HUD is drawn.
    void RenderFrame();
    // Light 0 and lighting off, the declaration, then one step of the clip
    // that plays over its whole length drawn in fillMode. False when nothing
    // was drawn.
    bool DrawModel();
};
