// What the OpenGL device offers to the code that drives GL beside it: the
// effect and the font objects, which live in their own libraries and are
// children of the device like its own objects (core/device_child.h).
//
// The device keeps a shadow copy of GL state and applies it at draw time.
// Code that touches GL directly first flushes the device's pending (merged)
// draws, and afterwards tells the device that its cached state may be stale.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/core/device.h"

namespace gfx::gl {

// Effects and fonts are built by libraries above the device; the device's
// CreateEffectFromFile and CreateFont call the installed factories (no factory:
// the call fails with E_FAIL).
using EffectFactory = HRESULT (*)(Device* device, const char* path, uint32_t flags,
                                  Effect** effect, Buffer** errors);
using FontFactory = HRESULT (*)(Device* device, int32_t height, uint32_t width, uint32_t weight,
                                uint32_t mipLevels, int32_t italic, uint32_t charSet,
                                uint32_t outputPrecision, uint32_t quality,
                                uint32_t pitchAndFamily, const char* faceName, Font** font);
void SetEffectFactory(EffectFactory factory);
void SetFontFactory(FontFactory factory);

// True for a device of the OpenGL backend.
bool IsGlDevice(Device* device);
// Makes the device's GL context current on the calling thread.
void MakeCurrent(Device* device);
// Issues the draws that the device has merged but not yet sent to GL.
void FlushPendingDraws(Device* device);
// GL state was changed behind the device's cache: every cached value is
// applied again before the next draw.
void InvalidateState(Device* device);
// The program that draws the device's next draws: effects bind their passes'
// programs through here, so that code drawing beside the device (text) puts
// back the right one without asking GL.
void UseProgram(Device* device, uint32_t program);

// Drawing held back by a library beside the device, like the device's own
// merged draws: its DrawPending runs at the device's next flush (a state
// change, a draw, Lock, EndScene, Present, read-back, FlushPendingDraws).
class PendingOverlay {
public:
    virtual void DrawPending() = 0;

protected:
    ~PendingOverlay() = default;
};
// Holds overlay back until the next flush; work held before it (the device's
// merged draws, another overlay) is flushed first unless it is this overlay.
void HoldOverlay(Device* device, PendingOverlay* overlay);
// Forgets overlay if it is held, without drawing it (its owner is going).
void DropOverlay(Device* device, PendingOverlay* overlay);

// Overlay drawing through the device's cache: BeginOverlay sets GL to solid
// fill, no culling, no depth test or write, source-alpha blending (colour
// and alpha), the device's viewport, and binds program and vertex array;
// EndOverlay binds the device's program again and counts the one draw made
// between them among the device's GL draws. The cache records what changed,
// so the next device draw sets only what differs from its state.
void BeginOverlay(Device* device, uint32_t program, uint32_t vertexArray);
void EndOverlay(Device* device);

// GL texture name and target (GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP) of a
// texture made by this backend; 0 for anything else. The name is that of a
// texture ready to sample: a mip chain still pending is generated first.
uint32_t GetTextureName(BaseTexture* texture);
uint32_t GetTextureTarget(BaseTexture* texture);

// A GL program from GLSL vertex and fragment sources, on the current
// context. 0 when GL refuses one; log then tells which stage failed and why
// ("vertex shader: ...", "fragment shader: ..." or "link: ...").
uint32_t BuildProgram(const char* vertexSource, const char* fragmentSource, std::string* log);

// Attribute locations the device binds a vertex declaration's elements to,
// by usage: effects compile their vertex inputs to the same locations.
constexpr uint32_t kPositionLocation = 0;
constexpr uint32_t kNormalLocation = 1;
constexpr uint32_t kTexCoordLocation = 2;
constexpr uint32_t kColorLocation = 3;

}  // namespace gfx::gl
