// What the effect and font libraries need from a device, and how a device
// gets those libraries: every backend implements DeviceServices (the OpenGL
// device with GL calls, the null and recording devices with none), and a
// backend's creation function takes the libraries' makers. Effect and font
// code is the same on every backend.
//
// Names handed out (programs, uniform buffers, atlases) are the backend's
// own; 0 is none, or a refusal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx/core/device.h"

namespace gfx {

class DeviceFront;

// Drawing held back by a library, like the device's own merged draws: its
// DrawPending runs at the device's next flush (a state change, a draw, Lock,
// EndScene, Present, read-back, FlushPendingDraws).
class PendingOverlay {
public:
    virtual void DrawPending() = 0;

protected:
    ~PendingOverlay() = default;
};

// A vertex of overlay text: render-target pixels (y down), atlas texels, and
// the colour as bytes R, G, B, A.
struct OverlayVertex {
    float x, y;
    float s, t;
    uint32_t rgba;
};

class DeviceServices {
public:
    // --- effects ---
    // A program from GLSL vertex and fragment sources; 0 when it is refused,
    // log then naming the stage ("vertex shader: ", "fragment shader: ", "link: ").
    virtual uint32_t BuildProgram(const char* vertexSource, const char* fragmentSource,
                                  std::string* log) = 0;
    virtual void DeleteProgram(uint32_t program) = 0;
    // A uniform block's storage, holding the size bytes at data.
    virtual uint32_t CreateUniformBuffer(const void* data, size_t size) = 0;
    virtual void WriteUniformBuffer(uint32_t buffer, size_t offset, size_t size,
                                    const void* data) = 0;
    virtual void DeleteUniformBuffer(uint32_t buffer) = 0;
    // The program of the device's next draws (the draws held back go first).
    virtual void UseProgram(uint32_t program) = 0;
    virtual void BindUniformBuffer(uint32_t binding, uint32_t buffer) = 0;
    // The texture (null: none) the next draws sample on unit; a mip chain
    // still pending is made first.
    virtual void BindTexture(uint32_t unit, BaseTexture* texture) = 0;
    // Sends what the device holds back, before a change it must not see.
    virtual void FlushPendingDraws() = 0;

    // --- overlay text ---
    // Holds overlay back until the next flush; what was held before it goes
    // first, unless it is this overlay.
    virtual void HoldOverlay(PendingOverlay* overlay) = 0;
    // Forgets overlay if it is held, without drawing it (its owner is going).
    virtual void DropOverlay(PendingOverlay* overlay) = 0;
    // A one-channel coverage texture; 0, with error when given, when the
    // device cannot draw overlays.
    virtual uint32_t CreateAtlas(int width, int height, std::string* error) = 0;
    // Rows [top, bottom) of an atlas width texels wide, from rows (top row first).
    virtual void WriteAtlasRows(uint32_t atlas, int width, int top, int bottom,
                                const uint8_t* rows) = 0;
    virtual void DeleteAtlas(uint32_t atlas) = 0;
    // Triangles over everything (solid, unculled, no depth), coloured by the
    // vertices and blended by the atlas's coverage, inside viewport.
    virtual void DrawOverlay(uint32_t atlas, const OverlayVertex* vertices, size_t count,
                             const Viewport& viewport) = 0;

protected:
    ~DeviceServices() = default;
};

// What a device's CreateEffectFromFile and CreateFont run, after the front's
// checks (output pointers set, errors cleared). A null maker fails the call
// with E_FAIL.
using EffectMaker = HRESULT (*)(DeviceFront& device, const char* path, uint32_t flags,
                                Effect** effect, Buffer** errors);
using FontMaker = HRESULT (*)(DeviceFront& device, int32_t height, uint32_t width, uint32_t weight,
                              int32_t italic, const char* faceName, Font** font);
struct EffectAndFontMakers {
    EffectMaker effect = nullptr;
    FontMaker font = nullptr;
};

}  // namespace gfx
