// The compile path of a user's effect, the compiler process included: any
// text gives a compiled effect or messages that name the file, and this
// process survives whatever glslang or SPIRV-Cross do with it (they crash,
// overflow their stack, run out of time or memory in the compiler process).
// The file's folder is an empty one of its own, so an #include finds nothing
// and every message is about the file.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/gfx/effect/compile_child.h"

namespace {

char folder[] = "/tmp/rr-fuzz-effect-XXXXXX";

std::string EffectPath() {
    if (!mkdtemp(folder)) std::abort();
    std::atexit([] { rmdir(folder); });
    return std::string(folder) + "/f.fx";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = EffectPath();
    const std::string text(reinterpret_cast<const char*>(data), size);
    gfx::effect::CompiledEffect effect;
    std::string log;
    if (gfx::effect::CompileEffectIsolated(text, path, &effect, &log)) {
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
        if (line.rfind(path, 0) != 0) std::abort();  // every message names the file
    return 0;
}
