// The device objects of the viewer's display modes: the overlay's effect,
// declaration and vertex buffer, and the simply lit effect with the
// declaration that adds texture coordinates. Each is made the first time a
// frame needs it, so a frame with every view option at its default makes
// none; one that cannot be made is noted once to the report sink and not
// asked for again (the frame then draws without it). Released before the device.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/core/device.h"
#include "platform/report/report_sink.h"
#include "scene/overlay_lines.h"

// Read from the program's data folder, as the scene's effect is.
inline constexpr char kOverlayEffectPath[] = "./Shaders/Overlay.fx";
inline constexpr char kLitEffectPath[] = "./Shaders/Textured.fx";
inline constexpr char kOverlayTechnique[] = "TOverlay";  // pass 0: lines and points
inline constexpr char kLitTechnique[] = "TLit";          // pass 0: textured, pass 1: one grey

// The overlay's vertex: POSITION float3 at 0, COLOR0 D3DCOLOR at 12.
extern const gfx::VertexElement kOverlayVertexElements[3];
// The lit model's: stream 0 as the scene's declaration (POSITION, NORMAL),
// stream 1 TEXCOORD0 float2.
extern const gfx::VertexElement kTexturedVertexElements[4];

struct BuiltInEffect {
    gfx::Effect* effect = nullptr;  // owned
    gfx::EffectHandle technique = nullptr;
    bool tried = false;  // made, or failed and noted
};

struct DisplayResources {
    // The folder the effects are read from (the scene's base folder).
    std::string baseFolder;
    // Where a built-in effect or a mesh's texture coordinates that cannot be
    // read are noted.
    ReportSink report;
    BuiltInEffect overlay;
    BuiltInEffect lit;
    gfx::VertexDeclaration* overlayDeclaration = nullptr;   // owned
    gfx::VertexDeclaration* texturedDeclaration = nullptr;  // owned
    gfx::VertexBuffer* overlayBuffer = nullptr;             // owned, grown as needed
    uint32_t overlayCapacity = 0;                           // vertices it holds
    OverlayGeometry geometry;

    DisplayResources() = default;
    DisplayResources(const DisplayResources&) = delete;
    DisplayResources& operator=(const DisplayResources&) = delete;
    ~DisplayResources() { Release(); }

    // True once the overlay's effect and declaration are there.
    bool ReadyOverlay(gfx::Device* device);
    // True once the lit effect and the textured declaration are there.
    bool ReadyLit(gfx::Device* device);
    // A vertex buffer of at least `vertices` overlay vertices: the one there,
    // or a new one of twice the size asked (the old one released). False
    // when the device refuses it.
    bool ReadyOverlayBuffer(gfx::Device* device, uint32_t vertices);
    // Every object released and cleared; the next frame that needs one makes
    // it again (after a new device, or in tests).
    void Release();
};
