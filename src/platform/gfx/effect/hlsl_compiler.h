// One entry point of an HLSL source to SPIR-V, with glslang's HLSL front end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/effect/effect_source.h"

namespace gfx::effect {

// Compiles entry of source (the blanked effect text) for stage. path names
// the source in messages. Errors and warnings come back in log, one per line,
// as "path(line): error: what" or "path(line): warning: what". Returns false
// when nothing usable was produced (log then holds at least one error).
bool CompileHlsl(const std::string& source, const std::string& path, Stage stage,
                 const std::string& entry, std::vector<uint32_t>* spirv, std::string* log);

// Rewrites glslang's messages ("ERROR: path:12: 'x' : unknown variable")
// into "path(12): error: 'x' : unknown variable"; drops its summary lines.
std::string TranslateGlslangLog(const std::string& raw, const std::string& path);

}  // namespace gfx::effect
