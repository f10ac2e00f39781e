// Effects on the OpenGL device: an effect file becomes one GL program per
// pass, with its parameters found by name through reflection.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device.h"
#include "platform/gfx/effect/effect_compiler.h"

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

// What an effect this library made holds: its techniques with their passes
// (no GLSL) and its parameters, for CheckTechnique (technique_check.h).
// false for an effect of another kind.
bool DescribeEffect(Effect* effect, CompiledEffect* description);

}  // namespace gfx::effect
