#include "platform/gfx/effect/effect_codec.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace gfx::effect {

namespace {

constexpr uint32_t kRequestMagic = 0x51584652;  // "RFXQ"
constexpr uint32_t kResultMagic = 0x52584652;   // "RFXR"

class Writer {
public:
    void U32(uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    void I32(int value) { U32(static_cast<uint32_t>(value)); }
    void F32(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        U32(bits);
    }
    void Str(const std::string& text) {
        U32(static_cast<uint32_t>(text.size()));
        bytes_ += text;
    }
    template <typename T, typename F>
    void List(const std::vector<T>& items, F write) {
        U32(static_cast<uint32_t>(items.size()));
        for (const T& item : items) write(*this, item);
    }
    std::string Take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

// Every read fails once the bytes run out; a failed reader stays failed.
class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    uint32_t U32() {
        if (!ok_ || bytes_.size() - pos_ < 4) return Bad();
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes_[pos_ + i])) << (8 * i);
        pos_ += 4;
        return value;
    }
    int I32() { return static_cast<int>(U32()); }
    float F32() {
        uint32_t bits = U32();
        float value = 0;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    std::string Str() {
        uint32_t size = U32();
        if (!ok_ || bytes_.size() - pos_ < size) return Bad(), std::string();
        std::string text = bytes_.substr(pos_, size);
        pos_ += size;
        return text;
    }
    // A count of items that take at least minBytes each: no count larger
    // than the bytes left can hold gets a vector reserved.
    template <typename T, typename F>
    void List(std::vector<T>* items, size_t minBytes, F read) {
        uint32_t count = U32();
        if (!ok_ || count > (bytes_.size() - pos_) / minBytes) {
            Bad();
            return;
        }
        items->resize(count);
        for (T& item : *items) {
            read(*this, item);
            if (!ok_) return;
        }
    }
    template <typename E>
    E Enum(uint32_t last) {
        uint32_t value = U32();
        if (value > last) Bad();
        return static_cast<E>(value > last ? 0 : value);
    }

private:
    uint32_t Bad() {
        ok_ = false;
        return 0;
    }
    const std::string& bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

void WriteState(Writer& w, const RenderStateAssignment& s) {
    w.U32(s.state);
    w.U32(s.value);
    w.I32(s.line);
    w.I32(s.column);
}
void ReadState(Reader& r, RenderStateAssignment& s) {
    s.state = r.U32();
    s.value = r.U32();
    s.line = r.I32();
    s.column = r.I32();
}

void WriteShader(Writer& w, const ShaderRef& s) {
    w.Str(s.profile);
    w.Str(s.entry);
    w.I32(s.line);
    w.I32(s.column);
}
void ReadShader(Reader& r, ShaderRef& s) {
    s.profile = r.Str();
    s.entry = r.Str();
    s.line = r.I32();
    s.column = r.I32();
}

void WriteSource(Writer& w, const EffectSource& source) {
    w.Str(source.hlsl);
    w.List(source.techniques, [](Writer& w, const TechniqueDesc& t) {
        w.Str(t.name);
        w.I32(t.line);
        w.I32(t.column);
        w.List(t.passes, [](Writer& w, const PassDesc& p) {
            w.Str(p.name);
            w.I32(p.line);
            w.I32(p.column);
            WriteShader(w, p.vertexShader);
            WriteShader(w, p.pixelShader);
            w.List(p.renderStates, WriteState);
        });
    });
    w.List(source.samplers, [](Writer& w, const SamplerBinding& s) {
        w.Str(s.sampler);
        w.Str(s.texture);
        w.U32(static_cast<uint32_t>(s.dim));
        w.List(s.states, WriteState);
        w.I32(s.line);
    });
    w.List(source.textures, [](Writer& w, const TextureDeclaration& t) {
        w.Str(t.name);
        w.U32(static_cast<uint32_t>(t.dim));
        w.I32(t.line);
    });
    w.List(source.defaults, [](Writer& w, const ParameterDefault& d) {
        w.Str(d.name);
        w.List(d.values, [](Writer& w, float v) { w.F32(v); });
        w.I32(d.line);
    });
    w.List(source.columnShifts, [](Writer& w, const ColumnShift& s) {
        w.I32(s.line);
        w.I32(s.from);
        w.I32(s.shift);
    });
    w.Str(source.warnings);
}

void ReadSource(Reader& r, EffectSource& source) {
    source.hlsl = r.Str();
    r.List(&source.techniques, 16, [](Reader& r, TechniqueDesc& t) {
        t.name = r.Str();
        t.line = r.I32();
        t.column = r.I32();
        r.List(&t.passes, 40, [](Reader& r, PassDesc& p) {
            p.name = r.Str();
            p.line = r.I32();
            p.column = r.I32();
            ReadShader(r, p.vertexShader);
            ReadShader(r, p.pixelShader);
            r.List(&p.renderStates, 16, ReadState);
        });
    });
    r.List(&source.samplers, 20, [](Reader& r, SamplerBinding& s) {
        s.sampler = r.Str();
        s.texture = r.Str();
        s.dim = r.Enum<TextureDim>(static_cast<uint32_t>(TextureDim::Cube));
        r.List(&s.states, 16, ReadState);
        s.line = r.I32();
    });
    r.List(&source.textures, 12, [](Reader& r, TextureDeclaration& t) {
        t.name = r.Str();
        t.dim = r.Enum<TextureDim>(static_cast<uint32_t>(TextureDim::Cube));
        t.line = r.I32();
    });
    r.List(&source.defaults, 12, [](Reader& r, ParameterDefault& d) {
        d.name = r.Str();
        r.List(&d.values, 4, [](Reader& r, float& v) { v = r.F32(); });
        d.line = r.I32();
    });
    r.List(&source.columnShifts, 12, [](Reader& r, ColumnShift& s) {
        s.line = r.I32();
        s.from = r.I32();
        s.shift = r.I32();
    });
    source.warnings = r.Str();
}

void WriteMember(Writer& w, const BlockMember& m) {
    w.Str(m.name);
    w.U32(static_cast<uint32_t>(m.kind));
    w.U32(m.offset);
    w.U32(m.size);
    w.U32(m.rows);
    w.U32(m.columns);
    w.U32(m.matrixStride);
    w.U32(m.rowsContiguous ? 1 : 0);
}
void ReadMember(Reader& r, BlockMember& m) {
    m.name = r.Str();
    m.kind = r.Enum<ValueKind>(static_cast<uint32_t>(ValueKind::Other));
    m.offset = r.U32();
    m.size = r.U32();
    m.rows = r.U32();
    m.columns = r.U32();
    m.matrixStride = r.U32();
    m.rowsContiguous = r.U32() != 0;
}

void WriteEffect(Writer& w, const CompiledEffect& effect) {
    w.List(effect.techniques, [](Writer& w, const TechniqueProgram& t) {
        w.Str(t.name);
        w.List(t.passes, [](Writer& w, const PassProgram& p) {
            w.Str(p.name);
            w.I32(p.line);
            w.Str(p.vertexGlsl);
            w.Str(p.pixelGlsl);
            w.List(p.renderStates, WriteState);
        });
    });
    w.List(effect.blocks, [](Writer& w, const BlockInfo& b) {
        w.Str(b.name);
        w.U32(b.size);
    });
    w.List(effect.parameters, [](Writer& w, const ParameterInfo& p) {
        w.Str(p.name);
        w.U32(static_cast<uint32_t>(p.kind));
        w.U32(p.block);
        WriteMember(w, p.layout);
        w.U32(static_cast<uint32_t>(p.dim));
        w.U32(p.unit);
        w.List(p.sharedUnits, [](Writer& w, uint32_t u) { w.U32(u); });
        w.List(p.samplerStates, WriteState);
        w.List(p.defaults, [](Writer& w, float v) { w.F32(v); });
    });
    w.Str(effect.warnings);
    w.List(effect.includes, [](Writer& w, const IncludedFile& f) {
        w.Str(f.path);
        w.U32(static_cast<uint32_t>(f.hash));
        w.U32(static_cast<uint32_t>(f.hash >> 32));
    });
}

void ReadEffect(Reader& r, CompiledEffect& effect) {
    r.List(&effect.techniques, 8, [](Reader& r, TechniqueProgram& t) {
        t.name = r.Str();
        r.List(&t.passes, 20, [](Reader& r, PassProgram& p) {
            p.name = r.Str();
            p.line = r.I32();
            p.vertexGlsl = r.Str();
            p.pixelGlsl = r.Str();
            r.List(&p.renderStates, 16, ReadState);
        });
    });
    r.List(&effect.blocks, 8, [](Reader& r, BlockInfo& b) {
        b.name = r.Str();
        b.size = r.U32();
    });
    r.List(&effect.parameters, 60, [](Reader& r, ParameterInfo& p) {
        p.name = r.Str();
        p.kind = r.Enum<ValueKind>(static_cast<uint32_t>(ValueKind::Other));
        p.block = r.U32();
        ReadMember(r, p.layout);
        p.dim = r.Enum<TextureDim>(static_cast<uint32_t>(TextureDim::Cube));
        p.unit = r.U32();
        r.List(&p.sharedUnits, 4, [](Reader& r, uint32_t& u) { u = r.U32(); });
        r.List(&p.samplerStates, 16, ReadState);
        r.List(&p.defaults, 4, [](Reader& r, float& v) { v = r.F32(); });
    });
    effect.warnings = r.Str();
    r.List(&effect.includes, 12, [](Reader& r, IncludedFile& f) {
        f.path = r.Str();
        uint64_t low = r.U32();
        f.hash = low | uint64_t(r.U32()) << 32;
    });
}

bool Header(Reader& r, uint32_t magic) {
    return r.U32() == magic && r.U32() == kCodecFormat && r.Ok();
}

// Block and parameter records must point into the effect's own tables.
bool Consistent(const CompiledEffect& effect) {
    for (const ParameterInfo& p : effect.parameters) {
        if (p.kind != ValueKind::Texture && p.block >= effect.blocks.size()) return false;
    }
    return true;
}

}  // namespace

std::string EncodeRequest(const CompileRequest& request) {
    Writer w;
    w.U32(kRequestMagic);
    w.U32(kCodecFormat);
    w.Str(request.path);
    WriteSource(w, request.source);
    return w.Take();
}

bool DecodeRequest(const std::string& bytes, CompileRequest* request) {
    Reader r(bytes);
    if (!Header(r, kRequestMagic)) return false;
    CompileRequest decoded;
    decoded.path = r.Str();
    ReadSource(r, decoded.source);
    if (!r.Ok() || !r.AtEnd()) return false;
    *request = std::move(decoded);
    return true;
}

std::string EncodeResult(const CompileResult& result) {
    Writer w;
    w.U32(kResultMagic);
    w.U32(kCodecFormat);
    w.U32(result.compiled ? 1 : 0);
    if (result.compiled) {
        WriteEffect(w, result.effect);
    } else {
        w.Str(result.log);
    }
    return w.Take();
}

bool DecodeResult(const std::string& bytes, CompileResult* result) {
    Reader r(bytes);
    if (!Header(r, kResultMagic)) return false;
    CompileResult decoded;
    uint32_t compiled = r.U32();
    if (compiled > 1) return false;
    decoded.compiled = compiled == 1;
    if (decoded.compiled) {
        ReadEffect(r, decoded.effect);
    } else {
        decoded.log = r.Str();
    }
    if (!r.Ok() || !r.AtEnd() || (decoded.compiled && !Consistent(decoded.effect))) return false;
    *result = std::move(decoded);
    return true;
}

}  // namespace gfx::effect
