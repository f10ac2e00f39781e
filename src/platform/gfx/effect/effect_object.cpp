// The effect object, the same on every device: it draws through the device's
// services (core/device_services.h).
//
// Parameters are resolved by name once, when the effect is built, and kept in
// a processor copy of their uniform block with a dirty mark each; BeginPass
// makes the pass's program current and uploads what changed since the last
// upload. Textures go to the units the compiler gave them, in declaration
// order; the device's sampler objects on those units carry the filter states.
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/gfx/core/device_child.h"
#include "platform/gfx/core/text_buffer.h"
#include "platform/gfx/effect/effect_cache.h"
#include "platform/gfx/effect/effect.h"
#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/glsl_failure.h"
#include "platform/gfx/effect/state_names.h"

namespace gfx::effect {

namespace {

struct Technique {
    std::string name;
    std::vector<uint32_t> programs;                                // one per pass
    std::vector<std::vector<RenderStateAssignment>> renderStates;  // one list per pass
};

// Begin without this flag saves the render states the technique's passes
// set, and End puts them back.
constexpr uint32_t kDoNotSaveState = 1;

struct Block {
    uint32_t buffer = 0;
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

// Whether texture, made by device, can be sampled where the effect declares dim.
template <typename Kind>
bool MadeBy(BaseTexture* texture, const DeviceFront& device) {
    auto* child = dynamic_cast<DeviceChild<Kind>*>(texture);
    return child && &child->Owner() == &device;
}

bool Samples(BaseTexture* texture, TextureDim dim, const DeviceFront& device) {
    return (dim == TextureDim::Tex2D && MadeBy<Texture>(texture, device)) ||
           (dim == TextureDim::Cube && MadeBy<CubeTexture>(texture, device));
}

// One program from the pass's GLSL. On failure the device's log, told in the
// terms of the effect file (the statement it came from, the pass it belongs to).
uint32_t LinkPass(DeviceServices& services, const PassProgram& pass,
                  const std::string& techniqueName, const std::string& path,
                  const std::string& text, std::string* error) {
    std::string log;
    uint32_t program = services.BuildProgram(pass.vertexGlsl.c_str(), pass.pixelGlsl.c_str(), &log);
    if (!program) *error = DescribeGlFailure(log, path, text, pass, techniqueName);
    return program;
}

class EffectObject final : public DeviceChild<Effect> {
public:
    explicit EffectObject(DeviceFront& device)
        : DeviceChild<Effect>(device), services_(device.Services()) {}

    // Creates the device's objects; false with error when it refuses a program.
    bool Build(const CompiledEffect& compiled, const std::string& path, const std::string& text,
               std::string* error) {
        for (const TechniqueProgram& source : compiled.techniques) {
            Technique technique;
            technique.name = source.name;
            for (const PassProgram& pass : source.passes) {
                uint32_t program = LinkPass(services_, pass, source.name, path, text, error);
                if (!program) {
                    for (uint32_t made : technique.programs) services_.DeleteProgram(made);
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
            block.buffer = services_.CreateUniformBuffer(block.data.data(), block.data.size());
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
        services_.FlushPendingDraws();
        // The pass's render states go through the device, so its cache stays true.
        for (const RenderStateAssignment& assignment : CurrentTechnique().renderStates[pass]) {
            Owner().SetRenderState(static_cast<RenderState>(assignment.state), assignment.value);
        }
        SetSamplerStates();
        services_.UseProgram(CurrentTechnique().programs[pass]);
        for (size_t i = 0; i < blocks_.size(); ++i) {
            services_.BindUniformBuffer(static_cast<uint32_t>(i), blocks_[i].buffer);
        }
        for (Parameter& parameter : parameters_) Upload(parameter);
        activePass_ = static_cast<int>(pass);
        return S_OK;
    }

    HRESULT EndPass() override {
        if (activePass_ < 0) return D3DERR_INVALIDCALL;
        // Merged draws still waiting use the current program: they go now.
        services_.FlushPendingDraws();
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
        if (texture && !Samples(texture, parameter->info.dim, Owner())) return D3DERR_INVALIDCALL;
        parameter->texture = Ref<BaseTexture>::Share(texture);
        parameter->dirty = true;
        if (activePass_ >= 0) {
            services_.FlushPendingDraws();
            Upload(*parameter);
        }
        return S_OK;
    }

private:
    ~EffectObject() override {
        services_.FlushPendingDraws();
        for (const Technique& technique : techniques_) {
            for (uint32_t program : technique.programs) services_.DeleteProgram(program);
        }
        for (const Block& block : blocks_) services_.DeleteUniformBuffer(block.buffer);
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

    const Technique& CurrentTechnique() const { return techniques_[static_cast<size_t>(current_)]; }

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
            // Bits, not values: a float set to the bits it has is not
            // uploaded again (-0 after 0 is).
            // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
            if (std::memcmp(&block.data[at], &values[i], sizeof(float)) != 0) {
                std::memcpy(&block.data[at], &values[i], sizeof(float));
                changed = true;
            }
        }
        if (changed) {
            parameter->dirty = true;
            if (activePass_ >= 0) {
                // A change inside a pass applies to the draws that follow it.
                services_.FlushPendingDraws();
                Upload(*parameter);
            }
        }
        return S_OK;
    }

    void Upload(Parameter& parameter) {
        if (parameter.info.kind == ValueKind::Texture) {
            // Bound at every pass: other users of the device (text) share the units.
            if (parameter.info.unit != kUnsampled)
                services_.BindTexture(parameter.info.unit, parameter.texture.get());
            for (uint32_t unit : parameter.info.sharedUnits)
                services_.BindTexture(unit, parameter.texture.get());
            parameter.dirty = false;
            return;
        }
        if (!parameter.dirty) return;
        const Block& block = blocks_[parameter.info.block];
        const BlockMember& layout = parameter.info.layout;
        if (static_cast<size_t>(layout.offset) + layout.size <= block.data.size()) {
            services_.WriteUniformBuffer(block.buffer, layout.offset, layout.size,
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
    DeviceServices& services_;
};

void HandBack(Buffer** errors, const std::string& text) {
    if (errors) *errors = text.empty() ? nullptr : CreateTextBuffer(text);
}

}  // namespace

HRESULT MakeEffect(DeviceFront& device, const char* path, uint32_t /*flags*/, Effect** effect,
                   Buffer** errors) {
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
    // the program down. An effect compiled before comes from the cache.
    CompiledEffect compiled;
    if (!CompileEffectCached(text, path, &compiled, &error)) {
        HandBack(errors, error);
        return E_FAIL;
    }
    auto* made = new EffectObject(device);
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
    auto* ours = dynamic_cast<EffectObject*>(effect);
    if (!ours) return false;
    ours->Describe(description);
    return true;
}

}  // namespace gfx::effect
