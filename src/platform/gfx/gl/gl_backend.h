// The OpenGL 4.5 core backend of the device layer, and the switches, counters
// and hooks its tests and benchmarks use.
//
// Environment, read when a device is created:
//   RR_GL_DEBUG=1     debug context; every GL error is counted and logged
//   RR_GL_NO_MERGE=1  adjacent one-triangle draws are not merged
//   RR_GL_BUFFER_UPLOAD=copy|ring|orphan  how a vertex buffer's Lock reaches
//                     GL: a processor copy uploaded at Unlock, a persistently
//                     mapped ring (the default), or orphaned and mapped storage
//   RR_REPORT_FIRST_PRESENT=1  the device's first Present writes the line
//                     "gfx: first frame presented" to stderr (start-up timing)
//   RR_NO_CACHE=1     programs are built from their sources, no binary is
//                     read from or written to the start-up cache
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/core/device_services.h"

namespace gfx::gl {

// A Direct3D object of the OpenGL backend (one reference); its devices make
// their effects and fonts with makers.
Direct3D* CreateDirect3D(const EffectAndFontMakers& makers);

// Turns merging of adjacent DrawPrimitive calls on or off (pending draws are
// flushed first). On by default unless RR_GL_NO_MERGE=1.
void SetDrawMerging(Device* device, bool enabled);
// GL draw calls the device has issued (merged draws count once).
uint64_t GetGlDrawCallCount(Device* device);
// GL errors reported by the debug callback on this device (RR_GL_DEBUG=1).
uint32_t GetGlErrorCount(Device* device);
// GL errors reported on all devices since the process started.
uint32_t GetTotalGlErrorCount();

// Sends the draws the device still holds and waits until GL has carried out
// everything issued so far (benchmarks that time the parts of a frame).
bool Finish(Device* device);
// Depth value at a pixel of the back buffer (x from the left, y from the top).
bool ReadDepth(Device* device, uint32_t x, uint32_t y, float* depth);
// Stencil value at a pixel of the back buffer (x from the left, y from the top).
bool ReadStencil(Device* device, uint32_t x, uint32_t y, uint32_t* stencil);

// For tests and benchmarks that drive GL beside the device, as the device's
// services do for effects and fonts. The device keeps a shadow copy of GL
// state and applies it at draw time: code touching GL directly first sends
// the device's pending draws, and afterwards, when it changed state behind
// the device, calls InvalidateState so that every value is applied again.
void MakeCurrent(Device* device);
void FlushPendingDraws(Device* device);
void InvalidateState(Device* device);
// Whether the device's frames are drawn straight into its window (the
// window's framebuffer matches the back buffer: gl_present.cpp), not into a
// framebuffer of its own that a present copies.
bool DrawsIntoWindow(Device* device);
// The program of the device's next draws (as an effect pass binds its own).
void UseProgram(Device* device, uint32_t program);
// GL texture name and target (GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP) of a
// texture of this backend, ready to sample; 0 for anything else.
uint32_t GetTextureName(BaseTexture* texture);
uint32_t GetTextureTarget(BaseTexture* texture);
// A GL program on the current context; 0 when GL refuses one, log then
// naming the stage ("vertex shader: ...", "fragment shader: ...", "link: ...").
// Where the driver offers program binaries, a program built before comes
// from the start-up cache (gl_program.cpp).
uint32_t BuildProgram(const char* vertexSource, const char* fragmentSource, std::string* log);

// Programs BuildProgram made since the process started: from a cached
// binary, and from their sources.
struct ProgramBuildCounts {
    uint64_t fromBinary = 0;
    uint64_t fromSource = 0;
};
ProgramBuildCounts GetProgramBuildCounts();

}  // namespace gfx::gl
