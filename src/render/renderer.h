// The program's connection to the graphics device and the view of the
// scene, fixed at start-up: device, HUD font and text placement, the world,
// view and projection matrices, the model's transform and the camera.
#pragma once

#include <cstdint>

#include "math/color_rgba.h"
#include "math/matrix4.h"
#include "platform/gfx/core/device.h"
#include "platform/window/core/win_types.h"
#include "render/camera.h"
#include "render/object_transform.h"

struct Renderer {
    gfx::Direct3D* direct3D = nullptr;  // owned
    gfx::Device* device = nullptr;      // owned; everybody else borrows it
    gfx::Font* font = nullptr;          // owned
    gfx::Rect textRect;                 // where the next HUD line goes (DrawTextLine)
    int32_t fontHeight = 0;
    ColorRGBA textColor{1.0f, 1.0f, 0.0f, 1.0f};  // opaque yellow until SetTextColor
    Matrix4 world;
    Matrix4 view;
    Matrix4 projection;
    ObjectTransform objectTransform;
    Camera camera;
    int32_t viewportWidth = 0;
    int32_t viewportHeight = 0;

    // Direct3D object (made by createDirect3D), device (into window, width ×
    // height back buffer) and font (none for a fontHeightPixels of 0), then
    // InitSceneState. S_OK or E_FAIL;
    // whatever was created before a failure stays in its field for ReleaseDevice.
    gfx::HRESULT InitDevice(gfx::Direct3DFactory createDirect3D, HWND window, int32_t width,
                            int32_t height, int32_t fontHeightPixels);
    // Matrices, viewport, render and sampler states; once, from InitDevice.
    void InitSceneState();
    // A back buffer of width × height pixels, the viewport all of it and the
    // projection of its aspect (the viewer panel's resizable window). False,
    // with nothing changed, when the device refuses the size.
    bool ResizeBackBuffer(int32_t width, int32_t height);
    // view = the camera's view matrix; after every camera move or turn.
    void UpdateViewMatrix();
    // Stored unchanged; clamped only when packed for drawing.
    void SetTextColor(float r, float g, float b, float a);
    // Font, device, Direct3D object: each released if present, then cleared.
    void ReleaseDevice();

    // Draws one HUD line with its top-left corner at (x, y); a null text
    // draws nothing. Implemented with the text overlay (text_overlay.cpp).
    void DrawTextLine(const char* text, int32_t x, int32_t y);
};
