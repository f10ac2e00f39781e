// The effect's technique/pass reader and its Direct3D 9 translation: any
// text is read or refused with a message naming the file and a line; what it
// reads keeps every line where it was (a line made longer is recorded as a
// column shift) and has whole passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gfx/effect/effect_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    gfx::effect::EffectSource source;
    std::string error;
    if (!gfx::effect::ReadEffectSource(text, "f.fx", &source, &error)) {
        if (error.rfind("f.fx(", 0) != 0) std::abort();
        return 0;
    }
    if (source.techniques.empty()) std::abort();
    size_t lines = 0, linesHandedOn = 0;
    for (char c : text) lines += c == '\n';
    for (char c : source.hlsl) linesHandedOn += c == '\n';
    if (lines != linesHandedOn) std::abort();
    if (source.columnShifts.empty()) {
        // Only blanks: every byte as it was or a space, line breaks kept.
        if (source.hlsl.size() != text.size()) std::abort();
        for (size_t i = 0; i < text.size(); ++i) {
            bool lineBreak = text[i] == '\n' || text[i] == '\r';
            if (source.hlsl[i] != text[i] && (lineBreak || source.hlsl[i] != ' ')) std::abort();
        }
    }
    size_t passes = 0;
    for (const gfx::effect::TechniqueDesc& technique : source.techniques) {
        if (technique.name.empty() || technique.passes.empty()) std::abort();
        for (const gfx::effect::PassDesc& pass : technique.passes) {
            if (pass.vertexShader.entry.empty() || pass.pixelShader.entry.empty()) std::abort();
            ++passes;
        }
    }
    if (passes > gfx::effect::kMaxPasses) std::abort();
    return 0;
}
