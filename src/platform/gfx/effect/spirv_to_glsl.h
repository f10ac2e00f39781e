// One stage's SPIR-V as GLSL 4.50, with SPIRV-Cross: what it declares
// (uniform blocks, textures, inputs and outputs with their semantics), and
// the places the effect gives them (block bindings, texture units, locations)
// before the GLSL is written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/effect/effect_types.h"

namespace gfx::effect {

// A member of a uniform block, as the block's memory holds it.
struct BlockMember {
    std::string name;
    ValueKind kind = ValueKind::Other;
    uint32_t offset = 0;
    uint32_t size = 0;  // bytes the member occupies
    // Matrices: HLSL rows and columns, and where element (r, c) sits:
    // rowsContiguous → offset + r × stride + 4c, otherwise offset + c × stride + 4r.
    uint32_t rows = 1;
    uint32_t columns = 1;
    uint32_t matrixStride = 0;
    bool rowsContiguous = false;

    bool operator==(const BlockMember&) const = default;
};

struct UniformBlock {
    std::string name;  // "$Global" for the parameters declared outside any cbuffer
    uint32_t id = 0;   // SPIR-V variable
    uint32_t size = 0;
    std::vector<BlockMember> members;
};

struct TextureResource {
    std::string name;
    uint32_t id = 0;  // SPIR-V variable (separate image or combined sampler)
    TextureDim dim = TextureDim::None;
};

struct InterfaceVariable {
    std::string name;
    std::string semantic;  // upper case, index always written: "TEXCOORD0", "POSITION0"
    uint32_t id = 0;
};

class SpirvToGlsl {
public:
    SpirvToGlsl();
    ~SpirvToGlsl();
    SpirvToGlsl(const SpirvToGlsl&) = delete;
    SpirvToGlsl& operator=(const SpirvToGlsl&) = delete;

    // Parses the module and reflects it. false with error on a module
    // SPIRV-Cross cannot read or a declaration this layer cannot hold.
    bool Load(const std::vector<uint32_t>& spirv, std::string* error);

    const std::vector<UniformBlock>& Blocks() const { return blocks_; }
    const std::vector<TextureResource>& Textures() const { return textures_; }
    const std::vector<InterfaceVariable>& Inputs() const { return inputs_; }
    const std::vector<InterfaceVariable>& Outputs() const { return outputs_; }

    void SetBinding(uint32_t id, uint32_t binding);
    void SetLocation(uint32_t id, uint32_t location);
    // Vertex output → gl_Position, pixel input → gl_FragCoord.
    void SetPositionBuiltIn(uint32_t id, bool vertexOutput);

    // Writes GLSL 4.50 (no Vulkan semantics; clip space left as the shader
    // wrote it: the device uses Direct3D's depth range and orientation).
    bool Compile(std::string* glsl, std::string* error);

private:
    struct State;
    std::unique_ptr<State> state_;
    std::vector<UniformBlock> blocks_;
    std::vector<TextureResource> textures_;
    std::vector<InterfaceVariable> inputs_;
    std::vector<InterfaceVariable> outputs_;
};

// GLSL with '#line N "file"' directives (which need an extension the GL may
// not have) written as "#line N", and that extension's line dropped.
std::string PlainLineDirectives(const std::string& glsl);

// "texcoord" → "TEXCOORD0", "SV_Target1" → "SV_TARGET1".
std::string NormalizeSemantic(const std::string& semantic);

}  // namespace gfx::effect
