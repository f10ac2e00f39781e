// Whether an effect can stand in for the running one: the technique the
// program selects, with the passes it draws with, and every parameter the
// program sets, of the kind it sets. And the parameters it does not set,
// which keep the values the file gives them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/effect/effect_compiler.h"

namespace gfx::effect {

// A parameter the program sets every frame. Matrices are 4 × 4; vectors may
// be narrower than the program's four floats (the first ones are set).
struct ParameterRequirement {
    const char* name;
    ValueKind kind;
    TextureDim dim = TextureDim::None;  // textures
};

struct TechniqueRequirements {
    const char* technique;
    uint32_t passes;              // passes 0 .. passes-1 are drawn with
    const char* const* passUses;  // what each pass draws, for messages ("the box", ...)
    const ParameterRequirement* parameters;
    size_t parameterCount;
};

struct TechniqueReport {
    std::string missing;  // why the effect does not fit, one line each; empty when it does
    std::vector<std::string>
        unused;  // "fBias is not set by the program: it keeps its default 0.25"
};

// effect: techniques with their passes and the parameters (GLSL not needed).
TechniqueReport CheckTechnique(const CompiledEffect& effect, const TechniqueRequirements& wanted);

}  // namespace gfx::effect
