// The compile path of a user's effect, the compiler process included: any
// text gives a compiled effect or messages that name the file, and this
// process survives whatever glslang or SPIRV-Cross do with it (they crash,
// overflow their stack, run out of time or memory in the compiler process).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/gfx/effect/compile_child.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    gfx::effect::CompiledEffect effect;
    std::string log;
    if (gfx::effect::CompileEffectIsolated(text, "f.fx", &effect, &log)) {
        if (effect.techniques.empty()) std::abort();
        for (const auto& technique : effect.techniques)
            for (const auto& pass : technique.passes)
                if (pass.vertexGlsl.empty() || pass.pixelGlsl.empty()) std::abort();
        return 0;
    }
    if (log.empty()) std::abort();
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind("f.fx", 0) != 0) std::abort();  // every message names the file
    return 0;
}
