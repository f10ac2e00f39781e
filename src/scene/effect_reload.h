// Compiling the running effect again from its file (the --watch mode): a
// good compile replaces the effect from the next frame on, a failed one
// keeps the running effect and hands back the compiler's text.
#pragma once

#include <string>

#include "platform/gfx/core/device.h"

// Compiles the file at path. On success releases the old effect and puts
// the new one and its technique in their place; true. A failed compile, or
// an effect without the technique "TShader" (it would draw nothing), leaves
// effect and technique as they are; false, with *text saying why.
bool RecompileEffect(gfx::Device* device, const char* path, gfx::Effect*& effect,
                     gfx::EffectHandle& technique, std::string* text);

// The line of the compiler's text a person reads first: the first that
// names an error, else the first that is not blank; trimmed.
std::string FirstErrorLine(const std::string& text);
