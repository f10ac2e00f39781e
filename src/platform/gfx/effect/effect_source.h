// Reading an effect file's technique and pass blocks.
//
// An effect file is HLSL plus blocks of this shape, which no HLSL compiler
// understands:
//
//   technique NAME {
//       pass NAME {
//           VertexShader = compile vs_3_0 EntryVS();
//           PixelShader  = compile ps_3_0 EntryPS();
//           FillMode     = Solid;          // optional render states
//       }
//   }
//
// ReadEffectSource records the blocks and hands back the text with every block
// replaced by blanks; line breaks stay where they were, so the compiler's line
// numbers still point into the file as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/effect/effect_types.h"

namespace gfx::effect {

enum class Stage { Vertex, Pixel };

// One shader of a pass: `compile PROFILE ENTRY()`.
struct ShaderRef {
    std::string profile;  // as written, e.g. "vs_3_0"
    std::string entry;
    int line = 0;  // line of the assignment, 1-based
    int column = 0;
};

// A render state a pass sets when it begins, or a sampler state a sampler_state
// block gives its texture unit: the device's state id and value (by name or
// number in the file).
struct RenderStateAssignment {
    uint32_t state = 0;
    uint32_t value = 0;
    int line = 0;
    int column = 0;
};

struct PassDesc {
    std::string name;  // may be empty: passes need no name
    int line = 0;
    int column = 0;
    ShaderRef vertexShader;
    ShaderRef pixelShader;
    std::vector<RenderStateAssignment> renderStates;
};

struct TechniqueDesc {
    std::string name;
    int line = 0;
    int column = 0;
    std::vector<PassDesc> passes;
};

// A Direct3D 9 sampler declared with a sampler_state block:
//   samplerCUBE S = sampler_state { Texture = <T>; MinFilter = Linear; };
// glslang sees "samplerCUBE S;"; the effect's parameter is the texture T.
struct SamplerBinding {
    std::string sampler;
    std::string texture;  // empty without a Texture state: the sampler is the parameter
    TextureDim dim = TextureDim::None;
    std::vector<RenderStateAssignment> states;  // sampler states (ids of the device)
    int line = 0;
};

// A parameter's initial value as the file writes it ("float fBias = 0.25;").
struct ParameterDefault {
    std::string name;
    std::vector<float> values;
    int line = 0;
};

// A texture parameter the file declares, used or not.
struct TextureDeclaration {
    std::string name;
    TextureDim dim = TextureDim::None;  // None for an untyped "texture"
    int line = 0;
};

// Where a line handed to glslang has columns other than the file's: from
// column `from` (1-based, in the text handed on) on, `shift` is added.
struct ColumnShift {
    int line = 0;
    int from = 0;
    int shift = 0;
};

struct EffectSource {
    std::string hlsl;  // the file with its technique blocks blanked, Direct3D 9 syntax translated
    std::vector<TechniqueDesc> techniques;
    std::vector<SamplerBinding> samplers;
    std::vector<TextureDeclaration> textures;
    std::vector<ParameterDefault> defaults;
    std::vector<ColumnShift> columnShifts;
    std::string warnings;  // "path(line,column): warning: what", one per line
};

// The column the file itself has where the text handed on has column.
int OriginalColumn(const std::vector<ColumnShift>& shifts, int line, int column);

// The most passes an effect may hold, over all its techniques: each becomes
// a GL program, each of its entry points a compile of the whole file, and
// real effects have a handful.
constexpr size_t kMaxPasses = 64;

// Reads text (the contents of the file named path, which only appears in
// messages): the technique blocks, then the Direct3D 9 declarations
// (d3d9_syntax.h) and the parameters' initial values. On failure returns
// false and sets error to one line of the form "path(line,column): error: what".
bool ReadEffectSource(const std::string& text, const std::string& path, EffectSource* out,
                      std::string* error);

// "P<index>" for a pass without a name, the name otherwise: how messages
// and lookups name a pass.
std::string PassLabel(const PassDesc& pass, size_t index);

}  // namespace gfx::effect
