// One frame: clear, the effect's two passes (box, then model), the HUD,
// present, and the frame counted for the frame rate.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/core/device.h"
#include "scene/environment_box.h"

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

    // Only BeginScene's result is looked at: when it fails nothing is drawn
    // and the scene is not ended, but the frame is presented and counted.
    // Without an effect only the HUD is drawn.
    void RenderFrame();
    // Light 0 and lighting off, the declaration, then one step of clip 0
    // over its whole length drawn in fillMode. False when nothing was drawn.
    bool DrawModel();
};
