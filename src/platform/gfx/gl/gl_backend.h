// The OpenGL 4.5 core backend of the device layer, and the switches and
// counters its tests and benchmarks use.
//
// Environment, read when a device is created:
//   RR_GL_DEBUG=1     debug context; every GL error is counted and logged
//   RR_GL_NO_MERGE=1  adjacent one-triangle draws are not merged
//   RR_GL_BUFFER_UPLOAD=copy|ring|orphan  how a vertex buffer's Lock reaches
//                     GL: the CPU copy uploaded at Unlock, a persistently
//                     mapped ring (the default), or orphaned and mapped storage
//   RR_REPORT_FIRST_PRESENT=1  the device's first Present writes the line
//                     "gfx: first frame presented" to stderr (start-up timing)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"

namespace gfx::gl {

// A Direct3D object of the OpenGL backend (one reference).
Direct3D* CreateDirect3D();
// Makes Direct3DCreate9 build OpenGL objects.
void Install();
// Why the last CreateDevice found no OpenGL 4.5 core context, for the person
// starting the program ("OpenGL 4.5 core profile needed; this display offers
// 3.3 (llvmpipe)"); empty when it found one.
const std::string& LastDeviceFailure();

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

// Reads the back buffer (after flushing pending draws) as RGBA rows from the
// top of the picture down. False for a non-GL device.
bool ReadBackBuffer(Device* device, uint32_t* width, uint32_t* height, std::vector<uint8_t>* rgba);
// Depth value at a pixel of the back buffer (x from the left, y from the top).
bool ReadDepth(Device* device, uint32_t x, uint32_t y, float* depth);
// Stencil value at a pixel of the back buffer (x from the left, y from the top).
bool ReadStencil(Device* device, uint32_t x, uint32_t y, uint32_t* stencil);

}  // namespace gfx::gl
