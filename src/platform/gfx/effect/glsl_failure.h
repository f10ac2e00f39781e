// What to say when the GL refuses GLSL that glslang and SPIRV-Cross made
// from an effect: not the GL's words about code the user never wrote, but
// the effect file's line the failing statement came from (the GLSL carries
// "#line" directives) and what that line says.
#pragma once

#include <string>

#include "platform/gfx/effect/effect_compiler.h"

namespace gfx::effect {

// glLog is the GL's text ("vertex shader: 0:12(5): error: ..."), text the
// effect file's contents. One line, "path(line,column): error: ...".
std::string DescribeGlFailure(const std::string& glLog, const std::string& path,
                              const std::string& text, const PassProgram& pass,
                              const std::string& technique);

}  // namespace gfx::effect
