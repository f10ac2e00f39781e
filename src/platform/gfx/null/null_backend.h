// The null device backend: every call passes the same front as on the OpenGL
// and recording devices (checks, state, bindings, live-object counts), buffers
// keep their CPU copies, texture files are read and measured, and nothing
// reaches a GPU. Effects and fonts are made by the factories installed here
// (the effect and font libraries install theirs: they keep every processor
// step and skip their GL calls on this device). For benchmarks that time the
// program's own work per frame, with no driver in the figure.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device.h"

namespace gfx::null {

// Makes Direct3DCreate9 build null objects.
void Install();
// A null Direct3D object (one reference); its devices need no window.
Direct3D* CreateDirect3D();
// True for a device of this backend.
bool IsNullDevice(const Device* device);

using EffectFactory = HRESULT (*)(Device* device, const char* path, uint32_t flags,
                                  Effect** effect, Buffer** errors);
using FontFactory = HRESULT (*)(Device* device, int32_t height, uint32_t width, uint32_t weight,
                                uint32_t mipLevels, int32_t italic, uint32_t charSet,
                                uint32_t outputPrecision, uint32_t quality,
                                uint32_t pitchAndFamily, const char* faceName, Font** font);
// What CreateEffectFromFile and CreateFont run on a null device (none: E_FAIL).
void SetEffectFactory(EffectFactory factory);
void SetFontFactory(FontFactory factory);

// Draw calls the device accepted since it was made (each DrawPrimitive and
// DrawIndexedPrimitive once; nothing is merged).
uint64_t GetDrawCallCount(Device* device);

}  // namespace gfx::null
