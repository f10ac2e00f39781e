#include "platform/gfx/effect/effect_compiler.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "platform/gfx/effect/effect_source.h"
#include "platform/gfx/effect/hlsl_compiler.h"

namespace gfx::effect {

bool VertexInputLocation(const std::string& semantic, uint32_t* location) {
    static const std::map<std::string, uint32_t> kLocations = {
        {"POSITION0", 0}, {"NORMAL0", 1}, {"TEXCOORD0", 2}, {"COLOR0", 3}};
    auto found = kLocations.find(NormalizeSemantic(semantic));
    if (found == kLocations.end()) return false;
    *location = found->second;
    return true;
}

namespace {

bool IsPositionSemantic(const std::string& semantic) {
    return semantic == "POSITION0" || semantic == "SV_POSITION0" || semantic == "VPOS0";
}

// "COLOR1" or "SV_TARGET1" → 1.
bool PixelOutputLocation(const std::string& semantic, uint32_t* location) {
    for (const char* prefix : {"SV_TARGET", "COLOR"}) {
        std::string p = prefix;
        if (semantic.compare(0, p.size(), p) == 0) {
            std::string index = semantic.substr(p.size());
            if (index.size() == 1 && index[0] >= '0' && index[0] <= '7') {
                *location = static_cast<uint32_t>(index[0] - '0');
                return true;
            }
        }
    }
    return false;
}

class Builder {
public:
    Builder(const EffectSource& source, const std::string& path) : source_(source), path_(path) {}

    bool Run(CompiledEffect* out, std::string* log) {
        log_ = log;
        for (const TechniqueDesc& technique : source_.techniques) {
            TechniqueProgram program;
            program.name = technique.name;
            for (size_t i = 0; i < technique.passes.size(); ++i) {
                PassProgram pass;
                if (!BuildPass(technique, technique.passes[i], i, &pass)) return false;
                program.passes.push_back(std::move(pass));
            }
            result_.techniques.push_back(std::move(program));
        }
        AddUnsampledTextures();
        AddDefaults();
        result_.warnings = source_.warnings;
        for (const std::string& warning : warnings_) result_.warnings += warning + "\n";
        *out = std::move(result_);
        return true;
    }

private:
    bool Fail(int line, int column, const std::string& what) {
        *log_ += path_ + "(" + std::to_string(line) + "," + std::to_string(column) +
                 "): error: " + what + "\n";
        return false;
    }

    void KeepWarnings(const std::string& log) {
        std::istringstream lines(log);
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && warningSet_.insert(line).second) warnings_.push_back(line);
        }
    }

    // Each (stage, entry point) is compiled once, however many passes use it.
    const std::vector<uint32_t>* Spirv(Stage stage, const ShaderRef& shader) {
        auto key = std::make_pair(stage, shader.entry);
        auto cached = spirv_.find(key);
        if (cached != spirv_.end()) return &cached->second;
        std::vector<uint32_t> words;
        std::string log;
        if (!CompileHlsl(source_.hlsl, path_, stage, shader.entry, &words, &log,
                         source_.columnShifts, &result_.includes)) {
            // A missing entry point is reported where the pass names it.
            if (log.find("entry point '" + shader.entry + "' not found") != std::string::npos) {
                Fail(shader.line, shader.column, "entry point '" + shader.entry + "' not found");
            } else {
                *log_ += log;
            }
            return nullptr;
        }
        KeepWarnings(log);
        return &spirv_.emplace(key, std::move(words)).first->second;
    }

    bool AddBlocks(SpirvToGlsl& stage, const std::string& where, int line) {
        for (const UniformBlock& block : stage.Blocks()) {
            auto known = blockIndex_.find(block.name);
            uint32_t index = 0;
            if (known == blockIndex_.end()) {
                index = static_cast<uint32_t>(result_.blocks.size());
                blockIndex_[block.name] = index;
                blockMembers_.push_back(block.members);
                result_.blocks.push_back({block.name, block.size});
                for (const BlockMember& member : block.members) {
                    if (member.name.empty() || parameterIndex_.count(member.name)) continue;
                    ParameterInfo parameter;
                    parameter.name = member.name;
                    parameter.kind = member.kind;
                    parameter.block = index;
                    parameter.layout = member;
                    parameterIndex_[member.name] = result_.parameters.size();
                    result_.parameters.push_back(std::move(parameter));
                }
            } else {
                index = known->second;
                if (result_.blocks[index].size != block.size ||
                    blockMembers_[index] != block.members) {
                    return Fail(line, 1,
                                where + ": uniform block '" + block.name +
                                    "' is laid out differently in another entry point");
                }
            }
            stage.SetBinding(block.id, index);
        }
        return true;
    }

    // The sampler_state block that declared the sampler named name, if any.
    const SamplerBinding* BindingOf(const std::string& name) const {
        for (const SamplerBinding& binding : source_.samplers)
            if (binding.sampler == name) return &binding;
        return nullptr;
    }

    // Each texture resource (a texture, or a Direct3D 9 sampler) gets a unit
    // of its own; a sampler_state sampler's parameter is its texture, and a
    // texture that several samplers read owns all their units.
    bool AddTextures(SpirvToGlsl& stage, const std::string& where, int line) {
        for (const TextureResource& texture : stage.Textures()) {
            const SamplerBinding* binding = BindingOf(texture.name);
            const std::string name =
                binding && !binding->texture.empty() ? binding->texture : texture.name;
            auto unit = resourceUnit_.find(texture.name);
            bool newUnit = unit == resourceUnit_.end();
            if (newUnit) unit = resourceUnit_.emplace(texture.name, nextUnit_++).first;
            auto known = parameterIndex_.find(name);
            if (known == parameterIndex_.end()) {
                ParameterInfo parameter;
                parameter.name = name;
                parameter.kind = ValueKind::Texture;
                parameter.dim = texture.dim;
                parameter.unit = unit->second;
                if (binding) parameter.samplerStates = binding->states;
                parameterIndex_[name] = result_.parameters.size();
                result_.parameters.push_back(std::move(parameter));
                known = parameterIndex_.find(name);
            } else if (newUnit && result_.parameters[known->second].kind == ValueKind::Texture) {
                result_.parameters[known->second].sharedUnits.push_back(unit->second);
            }
            const ParameterInfo& parameter = result_.parameters[known->second];
            if (parameter.kind != ValueKind::Texture || parameter.dim != texture.dim) {
                return Fail(line, 1,
                            where + ": '" + name + "' is declared with two different types");
            }
            stage.SetBinding(texture.id, unit->second);
        }
        return true;
    }

    // Textures the file declares that no pass samples are parameters all
    // the same (setting them is harmless), without a unit.
    void AddUnsampledTextures() {
        for (const TextureDeclaration& texture : source_.textures) {
            if (parameterIndex_.count(texture.name)) continue;
            ParameterInfo parameter;
            parameter.name = texture.name;
            parameter.kind = ValueKind::Texture;
            parameter.dim = texture.dim;
            parameter.unit = kUnsampled;
            parameterIndex_[texture.name] = result_.parameters.size();
            result_.parameters.push_back(std::move(parameter));
        }
    }

    // The file's initial values, as many floats as the parameter holds.
    void AddDefaults() {
        for (const ParameterDefault& value : source_.defaults) {
            auto known = parameterIndex_.find(value.name);
            if (known == parameterIndex_.end()) continue;
            ParameterInfo& parameter = result_.parameters[known->second];
            if (parameter.kind == ValueKind::Texture || parameter.kind == ValueKind::Other)
                continue;
            size_t count = static_cast<size_t>(parameter.layout.rows) * parameter.layout.columns;
            parameter.defaults.assign(value.values.begin(),
                                      value.values.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                 count, value.values.size())));
        }
    }

    bool BuildPass(const TechniqueDesc& technique, const PassDesc& desc, size_t index,
                   PassProgram* pass) {
        pass->name = PassLabel(desc, index);
        pass->line = desc.line;
        pass->renderStates = desc.renderStates;
        std::string where = "pass '" + pass->name + "' of technique '" + technique.name + "'";
        const std::vector<uint32_t>* vertexWords = Spirv(Stage::Vertex, desc.vertexShader);
        if (!vertexWords) return false;
        const std::vector<uint32_t>* pixelWords = Spirv(Stage::Pixel, desc.pixelShader);
        if (!pixelWords) return false;

        SpirvToGlsl vertex, pixel;
        std::string error;
        // SPIRV-Cross's own words are about SPIR-V, which the file never
        // shows: the message names the shader and the line that compiles it.
        if (!vertex.Load(*vertexWords, &error)) {
            return Fail(desc.vertexShader.line, desc.vertexShader.column,
                        where + ": vertex shader '" + desc.vertexShader.entry +
                            "' could not be translated to GLSL");
        }
        if (!pixel.Load(*pixelWords, &error)) {
            return Fail(desc.pixelShader.line, desc.pixelShader.column,
                        where + ": pixel shader '" + desc.pixelShader.entry +
                            "' could not be translated to GLSL");
        }
        if (!AddBlocks(vertex, where, desc.line) || !AddBlocks(pixel, where, desc.line) ||
            !AddTextures(vertex, where, desc.line) || !AddTextures(pixel, where, desc.line)) {
            return false;
        }

        // Vertex inputs sit where the device binds declaration elements.
        for (const InterfaceVariable& input : vertex.Inputs()) {
            uint32_t location = 0;
            if (!VertexInputLocation(input.semantic, &location)) {
                return Fail(desc.vertexShader.line, desc.vertexShader.column,
                            where + ": vertex input '" + input.name + "' has semantic '" +
                                input.semantic +
                                "', which the device does not feed (POSITION, NORMAL, "
                                "TEXCOORD, COLOR)");
            }
            vertex.SetLocation(input.id, location);
        }
        // Varyings meet by semantic: the vertex shader's outputs are numbered,
        // the pixel shader's inputs take the number of the same semantic.
        std::map<std::string, uint32_t> varyings;
        uint32_t nextLocation = 0;
        for (const InterfaceVariable& output : vertex.Outputs()) {
            if (IsPositionSemantic(output.semantic)) {
                vertex.SetPositionBuiltIn(output.id, true);
                continue;
            }
            varyings[output.semantic] = nextLocation;
            vertex.SetLocation(output.id, nextLocation++);
        }
        for (const InterfaceVariable& input : pixel.Inputs()) {
            if (IsPositionSemantic(input.semantic)) {
                pixel.SetPositionBuiltIn(input.id, false);
                continue;
            }
            auto found = varyings.find(input.semantic);
            if (found == varyings.end()) {
                return Fail(desc.pixelShader.line, desc.pixelShader.column,
                            where + ": pixel shader input '" + input.semantic +
                                "' is not written by vertex shader '" + desc.vertexShader.entry +
                                "'");
            }
            pixel.SetLocation(input.id, found->second);
        }
        for (const InterfaceVariable& output : pixel.Outputs()) {
            uint32_t location = 0;
            if (!PixelOutputLocation(output.semantic, &location)) {
                return Fail(desc.pixelShader.line, desc.pixelShader.column,
                            where + ": pixel shader output '" + output.semantic +
                                "' is not a colour (COLORn, SV_Targetn)");
            }
            pixel.SetLocation(output.id, location);
        }
        if (!vertex.Compile(&pass->vertexGlsl, &error)) {
            return Fail(desc.vertexShader.line, desc.vertexShader.column,
                        where + ": vertex shader '" + desc.vertexShader.entry +
                            "' uses something that cannot be written as GLSL");
        }
        if (!pixel.Compile(&pass->pixelGlsl, &error)) {
            return Fail(desc.pixelShader.line, desc.pixelShader.column,
                        where + ": pixel shader '" + desc.pixelShader.entry +
                            "' uses something that cannot be written as GLSL");
        }
        return true;
    }

    const EffectSource& source_;
    const std::string& path_;
    std::string* log_ = nullptr;
    CompiledEffect result_;
    std::map<std::pair<Stage, std::string>, std::vector<uint32_t>> spirv_;
    std::map<std::string, uint32_t> blockIndex_;
    std::vector<std::vector<BlockMember>> blockMembers_;
    std::map<std::string, size_t> parameterIndex_;
    std::map<std::string, uint32_t> resourceUnit_;  // texture resource → its unit
    uint32_t nextUnit_ = 0;
    std::vector<std::string> warnings_;
    std::set<std::string> warningSet_;
};

}  // namespace

bool CompileEffectSource(const EffectSource& source, const std::string& path, CompiledEffect* out,
                         std::string* log, bool expandFirst) {
    log->clear();
    if (!expandFirst) return Builder(source, path).Run(out, log);
    // The expansion is checked once on its own: its size is bounded before
    // any entry point is parsed. The entry points are then compiled from the
    // text as written (glslang expands it again, cheaply), so messages keep
    // the file's columns.
    std::string expanded;
    if (!PreprocessHlsl(source.hlsl, path, &expanded, log, source.columnShifts)) return false;
    log->clear();  // its warnings come again with each entry point
    expanded.clear();
    expanded.shrink_to_fit();
    return Builder(source, path).Run(out, log);
}

bool CompileEffect(const std::string& text, const std::string& path, CompiledEffect* out,
                   std::string* log) {
    log->clear();
    EffectSource source;
    std::string error;
    if (!ReadEffectSource(text, path, &source, &error)) {
        *log = error + "\n";
        return false;
    }
    return CompileEffectSource(source, path, out, log);
}

}  // namespace gfx::effect
