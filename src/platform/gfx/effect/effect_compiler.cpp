#include "platform/gfx/effect/effect_compiler.h"

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
        for (const std::string& warning : warnings_) result_.warnings += warning + "\n";
        *out = std::move(result_);
        return true;
    }

private:
    bool Fail(int line, const std::string& what) {
        *log_ += path_ + "(" + std::to_string(line) + "): error: " + what + "\n";
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
        if (!CompileHlsl(source_.hlsl, path_, stage, shader.entry, &words, &log)) {
            // A missing entry point is reported where the pass names it.
            if (log.find("entry point '" + shader.entry + "' not found") != std::string::npos) {
                Fail(shader.line, "entry point '" + shader.entry + "' not found");
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
                    return Fail(line, where + ": uniform block '" + block.name +
                                          "' is laid out differently in another entry point");
                }
            }
            stage.SetBinding(block.id, index);
        }
        return true;
    }

    bool AddTextures(SpirvToGlsl& stage, const std::string& where, int line) {
        for (const TextureResource& texture : stage.Textures()) {
            auto known = parameterIndex_.find(texture.name);
            if (known == parameterIndex_.end()) {
                ParameterInfo parameter;
                parameter.name = texture.name;
                parameter.kind = ValueKind::Texture;
                parameter.dim = texture.dim;
                parameter.unit = nextUnit_++;
                parameterIndex_[texture.name] = result_.parameters.size();
                result_.parameters.push_back(std::move(parameter));
                known = parameterIndex_.find(texture.name);
            }
            const ParameterInfo& parameter = result_.parameters[known->second];
            if (parameter.kind != ValueKind::Texture || parameter.dim != texture.dim) {
                return Fail(line, where + ": '" + texture.name +
                                      "' is declared with two different types");
            }
            stage.SetBinding(texture.id, parameter.unit);
        }
        return true;
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
        if (!vertex.Load(*vertexWords, &error) || !pixel.Load(*pixelWords, &error)) {
            return Fail(desc.line, where + ": " + error);
        }
        if (!AddBlocks(vertex, where, desc.line) || !AddBlocks(pixel, where, desc.line) ||
            !AddTextures(vertex, where, desc.line) || !AddTextures(pixel, where, desc.line)) {
            return false;
        }

        // Vertex inputs sit where the device binds declaration elements.
        for (const InterfaceVariable& input : vertex.Inputs()) {
            uint32_t location = 0;
            if (!VertexInputLocation(input.semantic, &location)) {
                return Fail(desc.vertexShader.line,
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
                return Fail(desc.pixelShader.line,
                            where + ": pixel shader input '" + input.semantic +
                                "' is not written by vertex shader '" + desc.vertexShader.entry +
                                "'");
            }
            pixel.SetLocation(input.id, found->second);
        }
        for (const InterfaceVariable& output : pixel.Outputs()) {
            uint32_t location = 0;
            if (!PixelOutputLocation(output.semantic, &location)) {
                return Fail(desc.pixelShader.line, where + ": pixel shader output '" +
                                                       output.semantic +
                                                       "' is not a colour (COLORn, SV_Targetn)");
            }
            pixel.SetLocation(output.id, location);
        }
        if (!vertex.Compile(&pass->vertexGlsl, &error) ||
            !pixel.Compile(&pass->pixelGlsl, &error)) {
            return Fail(desc.line, where + ": " + error);
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
    uint32_t nextUnit_ = 0;
    std::vector<std::string> warnings_;
    std::set<std::string> warningSet_;
};

}  // namespace

bool CompileEffect(const std::string& text, const std::string& path, CompiledEffect* out,
                   std::string* log) {
    log->clear();
    EffectSource source;
    std::string error;
    if (!ReadEffectSource(text, path, &source, &error)) {
        *log = error + "\n";
        return false;
    }
    return Builder(source, path).Run(out, log);
}

}  // namespace gfx::effect
