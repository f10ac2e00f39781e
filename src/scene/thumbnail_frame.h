// The one frame of a thumbnail: the character alone, through the effect's
// pass 1, on a transparent background (no sky box, no HUD), in the first
// keyframe of the clip that plays or its bind pose.
#pragma once

#include <cstdint>

#include "scene/frame_capture.h"

struct Renderer;
struct Scene;

// Transparent black: what shows where the character does not cover.
inline constexpr uint32_t kThumbnailClearColor = 0x00000000u;

// Draws the frame and takes its picture into *capture. False when nothing
// was drawn (no effect, BeginScene refused, no triangle of the model drawn)
// or no picture could be read.
bool DrawThumbnailFrame(Renderer& renderer, Scene& scene, int clipIndex, FrameCapture* capture);
