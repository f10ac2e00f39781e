// The null device backend: every call passes the same front as on the OpenGL
// and recording devices (checks, state, bindings, live-object counts, texture
// files read and decoded), buffers keep their processor copies, effects and
// fonts are made by the makers given and run on services that draw nothing
// (null_services.h), and nothing reaches a GPU. For benchmarks that time the
// program's own work per frame, with no driver in the figure.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device_services.h"

namespace gfx::null {

// A null Direct3D object (one reference); its devices need no window.
Direct3D* CreateDirect3D(const EffectAndFontMakers& makers);

// Draws the backend received since the device was made: each
// DrawIndexedPrimitive once, a run of DrawPrimitive list draws that the front
// merged once.
uint64_t GetDrawCallCount(Device* device);

}  // namespace gfx::null
