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

namespace gfx::effect {

enum class Stage { Vertex, Pixel };

// One shader of a pass: `compile PROFILE ENTRY()`.
struct ShaderRef {
    std::string profile;  // as written, e.g. "vs_3_0"
    std::string entry;
    int line = 0;  // line of the assignment, 1-based
};

// A render state a pass sets when it begins: the device's state id and value
// (FillMode, CullMode, ZEnable and ZWriteEnable, by name or number).
struct RenderStateAssignment {
    uint32_t state = 0;
    uint32_t value = 0;
    int line = 0;
};

struct PassDesc {
    std::string name;  // may be empty: passes need no name
    int line = 0;
    ShaderRef vertexShader;
    ShaderRef pixelShader;
    std::vector<RenderStateAssignment> renderStates;
};

struct TechniqueDesc {
    std::string name;
    int line = 0;
    std::vector<PassDesc> passes;
};

struct EffectSource {
    std::string hlsl;  // the file with its technique blocks blanked
    std::vector<TechniqueDesc> techniques;
};

// The most passes an effect may hold, over all its techniques: each becomes
// a GL program, each of its entry points a compile of the whole file, and
// real effects have a handful.
constexpr size_t kMaxPasses = 64;

// Reads text (the contents of the file named path, which only appears in
// messages). On failure returns false and sets error to one line of the form
// "path(line): error: what".
bool ReadEffectSource(const std::string& text, const std::string& path, EffectSource* out,
                      std::string* error);

// "P<index>" for a pass without a name, the name otherwise: how messages
// and lookups name a pass.
std::string PassLabel(const PassDesc& pass, size_t index);

}  // namespace gfx::effect
