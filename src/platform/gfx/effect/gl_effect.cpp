// The effect object of the OpenGL device.
//
// Parameters are resolved by name once, when the effect is built, and kept in
// a CPU copy of their uniform block with a dirty mark each; BeginPass makes
// the pass's program current and uploads what changed since the last upload.
// Textures go to the units the compiler gave them, in declaration order; the
// device's sampler objects on those units carry the filter states.

#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/gfx/core/device_child.h"
#include "platform/gfx/core/text_buffer.h"
#include "platform/gfx/effect/compile_child.h"
#include "platform/gfx/effect/effect.h"
#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/glsl_failure.h"
#include "platform/gfx/effect/state_names.h"
#include "platform/gfx/gl/gl_services.h"
#include "platform/gfx/null/null_backend.h"

namespace gfx::effect {

namespace {

struct Technique {
    std::string name;
    std::vector<GLuint> programs;  // one per pass
    std::vector<std::vector<RenderStateAssignment>> renderStates;  // one list per pass
};

// Begin without this flag saves the render states the technique's passes
// set, and End puts them back.
constexpr uint32_t kDoNotSaveState = 1;

struct Block {
    GLuint buffer = 0;
    std::vector<uint8_t> data;
};

// Lets the names table be searched with the caller's const char* as it is:
// no string is built for a lookup, so setting parameters every frame
// allocates nothing.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

struct Parameter {
    ParameterInfo info;
    bool dirty = false;
    Ref<BaseTexture> texture;  // a reference, as the effect holds what is set on it
};

GLenum TargetOf(TextureDim dim) {
    switch (dim) {
        case TextureDim::Tex2D: return GL_TEXTURE_2D;
        case TextureDim::Tex3D: return GL_TEXTURE_3D;
        case TextureDim::Cube: return GL_TEXTURE_CUBE_MAP;
        default: return 0;
    }
}

// One program from the pass's GLSL. On failure the GL's log, prefixed with
// the pass it belongs to.
GLuint LinkPass(const PassProgram& pass, const std::string& techniqueName,
                const std::string& path, const std::string& text, std::string* error) {
    std::string log;
    GLuint program = gl::BuildProgram(pass.vertexGlsl.c_str(), pass.pixelGlsl.c_str(), &log);
    if (!program) *error = DescribeGlFailure(log, path, text, pass, techniqueName);
    return program;
}

// On a null device (gl_ false) every step but the GL calls is taken: the
// parameters' CPU copies, their dirty marks, the passes' render states.
class GlEffect final : public DeviceChild<Effect> {
public:
    GlEffect(DeviceFront& device, bool gl) : DeviceChild<Effect>(device), gl_(gl) {}

    // Creates the GL objects; false with error when GL refuses a program.
    bool Build(const CompiledEffect& compiled, const std::string& path, const std::string& text,
               std::string* error) {
        for (const TechniqueProgram& source : compiled.techniques) {
            Technique technique;
            technique.name = source.name;
            for (const PassProgram& pass : source.passes) {
                GLuint program = gl_ ? LinkPass(pass, source.name, path, text, error) : 1;
                if (!program) {
                    for (GLuint made : technique.programs) glDeleteProgram(made);
                    return false;
                }
                technique.programs.push_back(program);
                technique.renderStates.push_back(pass.renderStates);
            }
            techniques_.push_back(std::move(technique));
        }
        for (const BlockInfo& info : compiled.blocks) {
            Block block;
            block.data.assign(info.size, 0);
            if (gl_) glCreateBuffers(1, &block.buffer);
            if (gl_) glNamedBufferData(block.buffer, static_cast<GLsizeiptr>(block.data.size()),
                              block.data.data(), GL_DYNAMIC_DRAW);
            blocks_.push_back(std::move(block));
        }
        for (const ParameterInfo& info : compiled.parameters) {
            names_[info.name] = parameters_.size();
            parameters_.push_back({info, !info.defaults.empty(), nullptr});
            WriteDefaults(info);
        }
        current_ = techniques_.empty() ? -1 : 0;
        return true;
    }

    // Techniques with their pass names, and the parameters.
    void Describe(CompiledEffect* description) const {
        description->techniques.clear();
        for (const Technique& technique : techniques_) {
            TechniqueProgram program;
            program.name = technique.name;
            program.passes.resize(technique.programs.size());
            description->techniques.push_back(std::move(program));
        }
        description->parameters.clear();
        for (const Parameter& parameter : parameters_)
            description->parameters.push_back(parameter.info);
    }

    EffectHandle GetTechniqueByName(const char* name) override {
        int index = FindTechnique(name);
        return index < 0 ? nullptr : techniques_[static_cast<size_t>(index)].name.c_str();
    }

    HRESULT SetTechnique(EffectHandle technique) override {
        int index = FindTechnique(technique);
        if (index < 0 || activePass_ >= 0) return D3DERR_INVALIDCALL;
        current_ = index;
        return S_OK;
    }

    HRESULT Begin(uint32_t* passes, uint32_t flags) override {
        if (current_ < 0 || begun_) return D3DERR_INVALIDCALL;
        begun_ = true;
        savedStates_.clear();
        if (!(flags & kDoNotSaveState)) {
            for (const auto& list : CurrentTechnique().renderStates) {
                for (const RenderStateAssignment& assignment : list) {
                    auto state = static_cast<RenderState>(assignment.state);
                    bool saved = false;
                    for (const auto& entry : savedStates_) saved = saved || entry.first == state;
                    uint32_t value = 0;
                    if (!saved && Succeeded(Owner().GetRenderState(state, &value))) {
                        savedStates_.emplace_back(state, value);
                    }
                }
            }
        }
        if (passes) *passes = static_cast<uint32_t>(CurrentTechnique().programs.size());
        return S_OK;
    }

    HRESULT BeginPass(uint32_t pass) override {
        if (!begun_ || activePass_ >= 0 || pass >= CurrentTechnique().programs.size() ||
            !DeviceAlive()) {
            return D3DERR_INVALIDCALL;
        }
        gl::FlushPendingDraws(&Owner());
        gl::MakeCurrent(&Owner());
        // The pass's render states go through the device, so its cache stays true.
        for (const RenderStateAssignment& assignment : CurrentTechnique().renderStates[pass]) {
            Owner().SetRenderState(static_cast<RenderState>(assignment.state), assignment.value);
        }
        SetSamplerStates();
        if (gl_) gl::UseProgram(&Owner(), CurrentTechnique().programs[pass]);
        for (size_t i = 0; gl_ && i < blocks_.size(); ++i) {
            glBindBufferBase(GL_UNIFORM_BUFFER, static_cast<GLuint>(i), blocks_[i].buffer);
        }
        for (Parameter& parameter : parameters_) Upload(parameter);
        activePass_ = static_cast<int>(pass);
        return S_OK;
    }

    HRESULT EndPass() override {
        if (activePass_ < 0) return D3DERR_INVALIDCALL;
        // Merged draws still waiting use the current program: they go now.
        gl::FlushPendingDraws(&Owner());
        activePass_ = -1;
        return S_OK;
    }

    HRESULT End() override {
        if (!begun_) return D3DERR_INVALIDCALL;
        if (activePass_ >= 0) EndPass();
        begun_ = false;
        for (const auto& [state, value] : savedStates_) Owner().SetRenderState(state, value);
        savedStates_.clear();
        return S_OK;
    }

    HRESULT SetMatrix(EffectHandle name, const Matrix4* value) override {
        Parameter* parameter = Find(name, ValueKind::Matrix);
        if (!parameter || !value) return D3DERR_INVALIDCALL;
        const BlockMember& layout = parameter->info.layout;
        float element[16];
        uint32_t offsets[16];
        uint32_t count = 0;
        // In the effect mul(p, M) is p × M: HLSL element (r, c) is m[r][c].
        for (uint32_t r = 0; r < layout.rows && r < 4; ++r) {
            for (uint32_t c = 0; c < layout.columns && c < 4; ++c) {
                element[count] = value->m[r][c];
                offsets[count] = layout.rowsContiguous ? r * layout.matrixStride + 4 * c
                                                       : c * layout.matrixStride + 4 * r;
                ++count;
            }
        }
        return Write(parameter, element, offsets, count);
    }

    HRESULT SetVector(EffectHandle name, const Vector4* value) override {
        Parameter* parameter = Find(name, ValueKind::Vector);
        if (!parameter || !value) return D3DERR_INVALIDCALL;
        const float all[4] = {value->x, value->y, value->z, value->w};
        const uint32_t offsets[4] = {0, 4, 8, 12};
        uint32_t count = parameter->info.layout.columns < 4 ? parameter->info.layout.columns : 4;
        return Write(parameter, all, offsets, count);
    }

    HRESULT SetFloat(EffectHandle name, float value) override {
        Parameter* parameter = Find(name, ValueKind::Float);
        if (!parameter) return D3DERR_INVALIDCALL;
        const uint32_t offset = 0;
        return Write(parameter, &value, &offset, 1);
    }

    HRESULT SetTexture(EffectHandle name, BaseTexture* texture) override {
        Parameter* parameter = Find(name, ValueKind::Texture);
        if (!parameter) return D3DERR_INVALIDCALL;
        // A texture of another kind than the effect declares would sample as
        // black: refused instead.
        if (texture && !Samples(texture, parameter->info.dim)) return D3DERR_INVALIDCALL;
        parameter->texture = Ref<BaseTexture>::Share(texture);
        parameter->dirty = true;
        if (activePass_ >= 0) {
            gl::FlushPendingDraws(&Owner());
            Upload(*parameter);
        }
        return S_OK;
    }

private:
    ~GlEffect() override {
        if (!gl_) return;
        gl::MakeCurrent(&Owner());
        gl::FlushPendingDraws(&Owner());
        for (const Technique& technique : techniques_) {
            for (GLuint program : technique.programs) glDeleteProgram(program);
        }
        for (const Block& block : blocks_) glDeleteBuffers(1, &block.buffer);
    }

    // The initial values the file gives, in the block's CPU copy.
    void WriteDefaults(const ParameterInfo& info) {
        if (info.defaults.empty() || info.block >= blocks_.size()) return;
        std::vector<uint8_t>& data = blocks_[info.block].data;
        const BlockMember& layout = info.layout;
        for (uint32_t r = 0, i = 0; r < layout.rows; ++r) {
            for (uint32_t c = 0; c < layout.columns && i < info.defaults.size(); ++c, ++i) {
                uint32_t offset = info.kind != ValueKind::Matrix ? 4 * c
                                  : layout.rowsContiguous        ? r * layout.matrixStride + 4 * c
                                                                 : c * layout.matrixStride + 4 * r;
                size_t at = static_cast<size_t>(layout.offset) + offset;
                if (offset + sizeof(float) <= layout.size && at + sizeof(float) <= data.size())
                    std::memcpy(&data[at], &info.defaults[i], sizeof(float));
            }
        }
    }

    // A sampler_state block's states, on its texture's units, through the
    // device (whose cache and checks they pass like any other).
    void SetSamplerStates() {
        for (const Parameter& parameter : parameters_) {
            const ParameterInfo& info = parameter.info;
            if (info.samplerStates.empty() || info.unit == kUnsampled) continue;
            for (const RenderStateAssignment& state : info.samplerStates) {
                if (state.state == kSamplerAddressU || state.state == kSamplerAddressV ||
                    state.state == kSamplerAddressW)
                    continue;  // the device keeps no addressing state: its samplers wrap
                Owner().SetSamplerState(info.unit, static_cast<SamplerState>(state.state),
                                        state.value);
                for (uint32_t unit : info.sharedUnits)
                    Owner().SetSamplerState(unit, static_cast<SamplerState>(state.state),
                                            state.value);
            }
        }
    }

    const Technique& CurrentTechnique() const {
        return techniques_[static_cast<size_t>(current_)];
    }

    // By handle (the pointer GetTechniqueByName gave) or by name.
    int FindTechnique(EffectHandle handle) const {
        if (!handle) return -1;
        for (size_t i = 0; i < techniques_.size(); ++i) {
            if (techniques_[i].name.c_str() == handle) return static_cast<int>(i);
        }
        for (size_t i = 0; i < techniques_.size(); ++i) {
            if (techniques_[i].name == handle) return static_cast<int>(i);
        }
        return -1;
    }

    // Null for a name the effect does not have (or lost to the optimiser) or
    // a parameter of another kind: setting it is harmless and does nothing.
    Parameter* Find(EffectHandle name, ValueKind kind) {
        if (!name) return nullptr;
        auto found = names_.find(std::string_view(name));
        if (found == names_.end()) return nullptr;
        Parameter& parameter = parameters_[found->second];
        return parameter.info.kind == kind ? &parameter : nullptr;
    }

    // Stores floats at the given offsets inside the parameter; marks it dirty
    // only when a value changed.
    HRESULT Write(Parameter* parameter, const float* values, const uint32_t* offsets,
                  uint32_t count) {
        Block& block = blocks_[parameter->info.block];
        const BlockMember& layout = parameter->info.layout;
        bool changed = false;
        for (uint32_t i = 0; i < count; ++i) {
            size_t at = static_cast<size_t>(layout.offset) + offsets[i];
            if (offsets[i] + sizeof(float) > layout.size ||
                at + sizeof(float) > block.data.size()) {
                continue;
            }
            if (std::memcmp(&block.data[at], &values[i], sizeof(float)) != 0) {
                std::memcpy(&block.data[at], &values[i], sizeof(float));
                changed = true;
            }
        }
        if (changed) {
            parameter->dirty = true;
            if (activePass_ >= 0) {
                // A change inside a pass applies to the draws that follow it.
                gl::FlushPendingDraws(&Owner());
                Upload(*parameter);
            }
        }
        return S_OK;
    }

    // Whether the effect can sample this texture where it declares dim.
    bool Samples(BaseTexture* texture, TextureDim dim) const {
        if (!gl_) {
            return (dim == TextureDim::Tex2D && texture->GetType() == ResourceType::Texture) ||
                   (dim == TextureDim::Cube && texture->GetType() == ResourceType::CubeTexture);
        }
        return gl::GetTextureName(texture) != 0 && gl::GetTextureTarget(texture) == TargetOf(dim);
    }

    void Upload(Parameter& parameter) {
        if (!gl_) {
            parameter.dirty = false;
            return;
        }
        if (parameter.info.kind == ValueKind::Texture) {
            // Bound at every pass: other GL users (text drawing) share the units.
            GLuint name = parameter.texture ? gl::GetTextureName(parameter.texture.get()) : 0;
            if (parameter.info.unit != kUnsampled) glBindTextureUnit(parameter.info.unit, name);
            for (uint32_t unit : parameter.info.sharedUnits) glBindTextureUnit(unit, name);
            parameter.dirty = false;
            return;
        }
        if (!parameter.dirty) return;
        const Block& block = blocks_[parameter.info.block];
        const BlockMember& layout = parameter.info.layout;
        if (static_cast<size_t>(layout.offset) + layout.size <= block.data.size()) {
            glNamedBufferSubData(block.buffer, layout.offset, layout.size,
                                 block.data.data() + layout.offset);
        }
        parameter.dirty = false;
    }

    std::vector<std::pair<RenderState, uint32_t>> savedStates_;  // from Begin, for End
    std::vector<Technique> techniques_;
    std::vector<Block> blocks_;
    std::vector<Parameter> parameters_;
    std::unordered_map<std::string, size_t, NameHash, std::equal_to<>> names_;
    int current_ = -1;
    bool begun_ = false;
    int activePass_ = -1;
    bool gl_;
};

void HandBack(Buffer** errors, const std::string& text) {
    if (errors) *errors = text.empty() ? nullptr : CreateTextBuffer(text);
}

}  // namespace

HRESULT CreateEffectFromFile(Device* device, const char* path, uint32_t /*flags*/,
                             Effect** effect, Buffer** errors) {
    if (errors) *errors = nullptr;
    if (!effect) return D3DERR_INVALIDCALL;
    *effect = nullptr;
    auto* front = dynamic_cast<DeviceFront*>(device);
    const bool gl = gl::IsGlDevice(device);
    if (!front || (!gl && !null::IsNullDevice(device))) {
        HandBack(errors, "error: effects need a device of the OpenGL backend\n");
        return D3DERR_INVALIDCALL;
    }
    if (!path) {
        HandBack(errors, "error: no effect file named\n");
        return D3DERR_INVALIDCALL;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, file_limits::kEffect, &bytes, &error)) {
        HandBack(errors, "error: cannot read the effect file " + error + "\n");
        return E_FAIL;
    }
    std::string text(bytes.begin(), bytes.end());
    // Compiled in the compiler process: no effect, however broken, can take
    // the program down.
    CompiledEffect compiled;
    if (!CompileEffectIsolated(text, path, &compiled, &error)) {
        HandBack(errors, error);
        return E_FAIL;
    }
    gl::MakeCurrent(device);
    gl::FlushPendingDraws(device);
    auto* made = new GlEffect(*front, gl);
    if (!made->Build(compiled, path, text, &error)) {
        made->Release();
        HandBack(errors, error);
        return E_FAIL;
    }
    HandBack(errors, compiled.warnings);
    *effect = made;
    return S_OK;
}

bool DescribeEffect(Effect* effect, CompiledEffect* description) {
    auto* ours = dynamic_cast<GlEffect*>(effect);
    if (!ours) return false;
    ours->Describe(description);
    return true;
}

void Install() {
    gl::SetEffectFactory(&CreateEffectFromFile);
    null::SetEffectFactory(&CreateEffectFromFile);
}

}  // namespace gfx::effect
