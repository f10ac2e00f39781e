// Effects on the OpenGL device: an effect file becomes one GL program per
// pass, with its parameters found by name through reflection.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device.h"

namespace gfx::effect {

// Makes the OpenGL device's CreateEffectFromFile build effects of this library.
void Install();

// What Install hands to the device: compiles the effect file at path for a GL
// device. On failure *effect stays null and *errors (when errors is not null)
// receives the messages as a zero-terminated text: the compiler's lines
// "path(line): error: what", or a line of ours naming the path when the file
// cannot be read. On success *errors receives the warnings, or null when
// there are none.
HRESULT CreateEffectFromFile(Device* device, const char* path, uint32_t flags, Effect** effect,
                             Buffer** errors);

}  // namespace gfx::effect
