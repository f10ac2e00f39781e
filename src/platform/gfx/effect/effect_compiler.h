// The effect file to GLSL programs and a parameter table, without GL:
// technique/pass blocks read and blanked, each pass's entry points compiled
// by glslang to SPIR-V, written as GLSL 4.50 by SPIRV-Cross, and every
// parameter located by name through reflection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/effect/effect_source.h"
#include "platform/gfx/effect/spirv_to_glsl.h"

namespace gfx::effect {

// One uniform block shared by every pass: its binding is its index in
// CompiledEffect::blocks.
struct BlockInfo {
    std::string name;
    uint32_t size = 0;
};

// The unit of a texture the effect declares but no pass samples.
constexpr uint32_t kUnsampled = 0xFFFFFFFFu;

// A parameter of the effect, found by its name. Numbers live in a block at
// an offset (layout as in BlockMember); textures get a texture unit, given in
// the order the effect declares its textures.
struct ParameterInfo {
    std::string name;
    ValueKind kind = ValueKind::Other;
    uint32_t block = 0;
    BlockMember layout;
    TextureDim dim = TextureDim::None;
    uint32_t unit = 0;
    // A texture read through several sampler_state samplers: their other units.
    std::vector<uint32_t> sharedUnits;
    // The sampler_state block's states, set on the unit(s) when a pass begins.
    std::vector<RenderStateAssignment> samplerStates;
    // The initial value the file gives, in the parameter's floats (empty: zero).
    std::vector<float> defaults;
};

struct PassProgram {
    std::string name;  // the pass's label: its name, or "P<index>"
    int line = 0;
    std::string vertexGlsl;
    std::string pixelGlsl;
    std::vector<RenderStateAssignment> renderStates;  // set when the pass begins
};

struct TechniqueProgram {
    std::string name;
    std::vector<PassProgram> passes;
};

// A file the effect's #include lines read, and the XXH3-64 hash of the bytes
// the compile read from it: a cached compile holds while each file still has
// those bytes (effect_cache.h).
struct IncludedFile {
    std::string path;  // as it was opened: the effect's folder, then the name
    uint64_t hash = 0;

    bool operator==(const IncludedFile&) const = default;
};

// What compiling an effect file gives, as plain data: the GL device builds
// its programs from it, and it travels whole from the compiler process
// (effect_codec.h writes and reads it).
struct CompiledEffect {
    std::vector<TechniqueProgram> techniques;
    std::vector<BlockInfo> blocks;
    std::vector<ParameterInfo> parameters;
    std::string warnings;                // the compiler's warnings, empty when none
    std::vector<IncludedFile> includes;  // in the order they were first read
};

// Vertex inputs are placed by semantic at the device's attribute locations:
// POSITION0 → 0, NORMAL0 → 1, TEXCOORD0 → 2, COLOR0 → 3.
bool VertexInputLocation(const std::string& semantic, uint32_t* location);

// text is the file's contents, path its name for messages. On failure log
// holds the messages ("path(line,column): error: what", one per line).
// Everything runs in this process: CompileEffectIsolated (compile_child.h)
// is the same with the HLSL → GLSL steps in a process of their own.
bool CompileEffect(const std::string& text, const std::string& path, CompiledEffect* out,
                   std::string* log);

// The HLSL → GLSL steps alone (glslang, SPIRV-Cross, reflection), on a
// source ReadEffectSource made: what the compiler process runs. With
// expandFirst the macros' expansion is bounded first (PreprocessHlsl); the
// compiler process does that step itself.
bool CompileEffectSource(const EffectSource& source, const std::string& path, CompiledEffect* out,
                         std::string* log, bool expandFirst = true);

}  // namespace gfx::effect
