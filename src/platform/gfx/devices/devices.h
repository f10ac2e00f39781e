// The devices the program runs on, composed in one place: a backend with the
// effect and font libraries as its makers. Both functions are a
// gfx::Direct3DFactory (null for another SDK version).
#pragma once

#include <cstdint>

#include "platform/gfx/core/device.h"

namespace gfx::devices {

// The program's device: OpenGL 4.5 core, with effects and fonts.
Direct3D* CreateOpenGl(uint32_t sdkVersion);
// The null device with the same effects and fonts, drawing nothing: the
// program's own processor work per frame (bench/frame/frame_cpu_bench).
Direct3D* CreateNull(uint32_t sdkVersion);

}  // namespace gfx::devices
