// Effects: an effect file becomes one program per pass on the device, with
// its parameters found by name through reflection.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device_front.h"

namespace gfx::effect {

// The effect maker a device is given (EffectAndFontMakers): compiles the
// effect file at path for device. On failure *effect stays null and *errors
// (when errors is not null) receives the messages as a zero-terminated text:
// the compiler's lines "path(line): error: what", or a line of ours naming
// the path when the file cannot be read. On success *errors receives the
// warnings, or null when there are none.
HRESULT MakeEffect(DeviceFront& device, const char* path, uint32_t flags, Effect** effect,
                   Buffer** errors);

}  // namespace gfx::effect
