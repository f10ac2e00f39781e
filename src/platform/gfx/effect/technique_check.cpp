#include "platform/gfx/effect/technique_check.h"

#include <cstdio>
#include <cstring>

namespace gfx::effect {

namespace {

// How HLSL writes the parameter's type: "float", "float3", "float4x4", "textureCUBE".
std::string TypeName(const ParameterInfo& parameter) {
    switch (parameter.kind) {
    case ValueKind::Float: return "float";
    case ValueKind::Vector: return "float" + std::to_string(parameter.layout.columns);
    case ValueKind::Matrix:
        return "float" + std::to_string(parameter.layout.rows) + "x" +
               std::to_string(parameter.layout.columns);
    case ValueKind::Texture:
        return parameter.dim == TextureDim::Cube    ? "a cube texture"
               : parameter.dim == TextureDim::Tex3D ? "a volume texture"
                                                    : "a 2D texture";
    default: return "of a type no value can be set on";
    }
}

std::string WantedName(const ParameterRequirement& wanted) {
    switch (wanted.kind) {
    case ValueKind::Float: return "float";
    case ValueKind::Vector: return "float4";
    case ValueKind::Matrix: return "float4x4";
    case ValueKind::Texture:
        return wanted.dim == TextureDim::Cube ? "a cube texture" : "a 2D texture";
    default: return "?";
    }
}

bool Fits(const ParameterInfo& have, const ParameterRequirement& wanted) {
    if (have.kind != wanted.kind) return false;
    if (have.kind == ValueKind::Matrix) return have.layout.rows == 4 && have.layout.columns == 4;
    if (have.kind == ValueKind::Texture) return have.dim == wanted.dim;
    return true;
}

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string Keeps(const ParameterInfo& parameter) {
    if (parameter.kind == ValueKind::Texture) return "it samples no texture (black)";
    if (parameter.defaults.empty()) return "it stays 0";
    if (parameter.defaults.size() == 1)
        return "it keeps its default " + Number(parameter.defaults[0]);
    std::string values;
    for (float value : parameter.defaults) values += (values.empty() ? "" : ", ") + Number(value);
    return "it keeps its default (" + values + ")";
}

}  // namespace

TechniqueReport CheckTechnique(const CompiledEffect& effect, const TechniqueRequirements& wanted) {
    TechniqueReport report;
    const TechniqueProgram* technique = nullptr;
    std::string names;
    for (const TechniqueProgram& candidate : effect.techniques) {
        if (candidate.name == wanted.technique) technique = &candidate;
        names += (names.empty() ? "'" : ", '") + candidate.name + "'";
    }
    if (!technique) {
        report.missing += std::string("no technique named '") + wanted.technique +
                          "' (the effect has " + names + ")\n";
    } else {
        for (uint32_t pass = static_cast<uint32_t>(technique->passes.size()); pass < wanted.passes;
             ++pass) {
            report.missing += std::string("technique '") + wanted.technique + "' has no pass " +
                              std::to_string(pass) + ", which draws " + wanted.passUses[pass] +
                              "\n";
        }
    }
    for (size_t i = 0; i < wanted.parameterCount; ++i) {
        const ParameterRequirement& want = wanted.parameters[i];
        const ParameterInfo* have = nullptr;
        for (const ParameterInfo& parameter : effect.parameters)
            if (parameter.name == want.name) have = &parameter;
        if (!have) {
            report.missing += std::string("parameter '") + want.name +
                              "' is missing: the program sets it as " + WantedName(want) +
                              " every frame\n";
        } else if (!Fits(*have, want)) {
            report.missing += std::string("parameter '") + want.name + "' is " + TypeName(*have) +
                              "; the program sets it as " + WantedName(want) + "\n";
        }
    }
    for (const ParameterInfo& parameter : effect.parameters) {
        bool known = false;
        for (size_t i = 0; i < wanted.parameterCount && !known; ++i)
            known = parameter.name == wanted.parameters[i].name;
        if (!known)
            report.unused.push_back(parameter.name +
                                    " is not set by the program: " + Keeps(parameter));
    }
    return report;
}

}  // namespace gfx::effect
