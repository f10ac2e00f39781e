// Dear ImGui's draw lists through the device: the panel's triangles in one
// vertex and index buffer pair (grown when a frame needs more, never shrunk,
// so steady frames allocate nothing), the font atlas as a texture made in
// memory, a scissor rectangle per draw command, alpha blending without depth
// or culling, drawn with the panel's own effect (Shaders/Panel.fx). Every
// device state it changes is put back after the draw, so the scene's next
// frame is drawn as it would be without the panel.
#pragma once

#include <cstdint>
#include <string>

#include "math/matrix4.h"
#include "platform/gfx/core/device.h"

struct ImDrawData;
struct ImFontAtlas;

inline constexpr char kPanelEffectPath[] = "./Shaders/Panel.fx";
inline constexpr char kPanelTechniqueName[] = "TPanel";

// A panel vertex as the buffer holds it: float2 position, D3DCOLOR colour
// (bytes B, G, R, A), float2 texture coordinates.
struct PanelVertex {
    float x, y;
    uint32_t colour;
    float u, v;
};

// POSITION float2 at 0, COLOR D3DCOLOR at 8, TEXCOORD float2 at 12, end marker.
extern const gfx::VertexElement kPanelVertexElements[4];

// ImGui's packed colour (bytes R, G, B, A in memory) as a D3DCOLOR (B, G, R, A).
constexpr uint32_t PanelColour(uint32_t imguiColour) {
    return (imguiColour & 0xFF00FF00u) | ((imguiColour & 0xFFu) << 16) |
           ((imguiColour >> 16) & 0xFFu);
}

// Panel pixels (left, top) .. (right, bottom), y down, to clip space.
Matrix4 PanelProjection(float left, float top, float right, float bottom);

// An ImGui clip rectangle (x1, y1, x2, y2 in panel pixels, from `origin`)
// as a scissor rectangle of a width × height back buffer that shows the
// panel's display scaled by (scaleX, scaleY); false when nothing of it is left.
bool PanelScissor(const float clip[4], const float origin[2], float scaleX, float scaleY,
                  uint32_t width, uint32_t height, gfx::Rect* scissor);

struct PanelRenderer {
    gfx::Device* device = nullptr;  // borrowed
    uint32_t backBufferWidth = 0;   // the device's, which the panel's display fills
    uint32_t backBufferHeight = 0;
    gfx::Effect* effect = nullptr;  // owned
    gfx::EffectHandle technique = nullptr;
    gfx::VertexDeclaration* declaration = nullptr;  // owned
    gfx::Texture* fontTexture = nullptr;            // owned
    gfx::VertexBuffer* vertices = nullptr;          // owned
    gfx::IndexBuffer* indices = nullptr;            // owned
    uint32_t vertexCapacity = 0;                    // vertices `vertices` holds
    uint32_t indexCapacity = 0;
    // Buffers made since Create (a steady frame makes none).
    uint32_t bufferGrowths = 0;

    // The effect (effectPath, a full path), the declaration and the atlas of
    // `fonts` as an A8R8G8B8 texture (the atlas's texture id set to it), for
    // a device whose back buffer is width × height. False with *error saying
    // what failed; what was made stays for Release.
    bool Create(gfx::Device* borrowedDevice, uint32_t width, uint32_t height,
                const char* effectPath, ImFontAtlas* fonts, std::string* error);
    // Draws `data` over the back buffer; nothing without vertices or an effect.
    void Draw(const ImDrawData* data);
    // Everything made, released; the fields cleared.
    void Release();

private:
    // Room for at least the vertices and indices given (buffers made anew).
    bool Reserve(uint32_t vertexCount, uint32_t indexCount);
};
