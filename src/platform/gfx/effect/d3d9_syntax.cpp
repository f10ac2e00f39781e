#include "platform/gfx/effect/d3d9_syntax.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/gfx/effect/effect_tokens.h"
#include "platform/gfx/effect/state_names.h"

// Works on the tokens at the file's top level (outside any braces): a
// declaration starts after ';' or '}' or at the start of the file. Edits
// are collected first and applied from the end, so offsets stay valid.
// Linear in the text; the records are bounded by the declarations written.

namespace gfx::effect {

namespace {

struct Edit {
    size_t begin = 0;
    size_t end = 0;
    std::string replacement;  // empty: blank the range (line breaks kept)
    int line = 0;
    int column = 0;
};

struct TypeName {
    const char* name;
    TextureDim dim;
};

// Direct3D 9 texture types: case as written in such files ("Texture2D" and
// "TextureCube" are the newer types glslang reads itself).
constexpr TypeName kTextureTypes[] = {
    {"texture", TextureDim::None},     {"Texture", TextureDim::None},
    {"texture1D", TextureDim::Tex2D},  {"texture2D", TextureDim::Tex2D},
    {"texture3D", TextureDim::Tex3D},  {"textureCUBE", TextureDim::Cube},
    {"textureCube", TextureDim::Cube},
};
constexpr TypeName kNewTextureTypes[] = {{"Texture2D", TextureDim::Tex2D},
                                         {"Texture3D", TextureDim::Tex3D},
                                         {"TextureCube", TextureDim::Cube}};
constexpr TypeName kSamplerTypes[] = {{"sampler", TextureDim::None},
                                      {"sampler1D", TextureDim::Tex2D},
                                      {"sampler2D", TextureDim::Tex2D},
                                      {"sampler3D", TextureDim::Tex3D},
                                      {"samplerCUBE", TextureDim::Cube}};
// Types whose initial values are read as numbers.
constexpr const char* kNumberTypes[] = {"float", "float1", "float2", "float3", "float4", "half",
                                        "half1", "half2",  "half3",  "half4",  "int",    "int2",
                                        "int3",  "int4",   "bool",   "uint",   "double"};

template <size_t N>
const TypeName* Find(const TypeName (&table)[N], std::string_view word) {
    for (const TypeName& type : table)
        if (word == type.name) return &type;
    return nullptr;
}

bool IsNumberType(std::string_view word) {
    for (const char* type : kNumberTypes)
        if (word == type) return true;
    return false;
}

const char* SamplerTypeFor(TextureDim dim) {
    switch (dim) {
    case TextureDim::Cube: return "samplerCUBE";
    case TextureDim::Tex3D: return "sampler3D";
    default: return "sampler2D";
    }
}

class Translator {
public:
    Translator(const std::string& text, const std::string& path, EffectSource* source)
        : text_(text), path_(path), source_(source), scanner_(text, path) {
        current_ = scanner_.Next();
    }

    bool Run(std::string* error, std::string* warnings) {
        error_ = error;
        warnings_ = warnings;
        int depth = 0;
        bool statementStart = true;
        while (!AtEnd()) {
            if (depth == 0 && statementStart && current_.kind == TokenKind::Identifier) {
                bool handled = false;
                if (!Declaration(&handled)) return false;
                if (handled) {
                    statementStart = true;
                    continue;
                }
            }
            statementStart = false;
            if (IsPunct('{')) ++depth;
            if (IsPunct('}')) {
                if (depth > 0) --depth;
                statementStart = depth == 0;
            }
            if (IsPunct(';') && depth == 0) statementStart = true;
            Advance();
        }
        if (!scanner_.Error().empty()) {
            *error = scanner_.Error();
            return false;
        }
        ResolveSamplerTypes();
        Apply();
        return true;
    }

private:
    bool AtEnd() const { return current_.kind == TokenKind::End; }
    bool IsPunct(char c) const {
        return current_.kind == TokenKind::Punct && current_.text.size() == 1 &&
               current_.text[0] == c;
    }
    void Advance() {
        previousEnd_ = current_.end;
        current_ = scanner_.Next();
    }
    bool Fail(const Token& at, const std::string& what) {
        *error_ = scanner_.Error().empty() ? path_ + "(" + std::to_string(at.line) + "," +
                                                 std::to_string(at.column) + "): error: " + what
                                           : scanner_.Error();
        return false;
    }
    std::string Describe() const {
        return AtEnd() ? std::string("the end of the file")
                       : "'" + std::string(current_.text) + "'";
    }

    // Skips "< ... >" and ": semantic" / ": register(...)" after a name.
    void SkipSemanticsAndAnnotations() {
        while (!AtEnd()) {
            if (IsPunct(':')) {
                Advance();
                if (current_.kind == TokenKind::Identifier) Advance();
                if (IsPunct('(')) {
                    while (!AtEnd() && !IsPunct(')') && !IsPunct(';')) Advance();
                    if (IsPunct(')')) Advance();
                }
                continue;
            }
            if (IsPunct('<')) {
                while (!AtEnd() && !IsPunct('>')) Advance();
                if (IsPunct('>')) Advance();
                continue;
            }
            return;
        }
    }

    // One top-level declaration, when it is one of ours; *handled tells
    // whether the tokens up to its ';' were consumed.
    bool Declaration(bool* handled) {
        const Token first = current_;
        if (const TypeName* type = Find(kTextureTypes, first.text)) {
            Advance();
            if (current_.kind != TokenKind::Identifier) return true;  // glslang says what is wrong
            source_->textures.push_back({std::string(current_.text), type->dim, current_.line});
            Advance();
            SkipSemanticsAndAnnotations();  // an annotation holds ';' of its own
            while (!AtEnd() && !IsPunct(';')) Advance();
            if (AtEnd())
                return Fail(
                    first, "texture '" + source_->textures.back().name + "' is not ended with ';'");
            Advance();
            edits_.push_back({first.begin, previousEnd_, {}, first.line, first.column});
            *handled = true;
            return true;
        }
        if (const TypeName* type = Find(kNewTextureTypes, first.text)) {
            Advance();
            if (current_.kind == TokenKind::Identifier)
                source_->textures.push_back({std::string(current_.text), type->dim, current_.line});
            return true;  // the tokens go on through the main loop
        }
        if (const TypeName* type = Find(kSamplerTypes, first.text))
            return Sampler(first, *type, handled);
        return Default();
    }

    bool Sampler(const Token& typeToken, const TypeName& type, bool* handled) {
        Advance();
        if (current_.kind != TokenKind::Identifier) return true;
        SamplerBinding binding;
        binding.sampler = std::string(current_.text);
        binding.dim = type.dim;
        binding.line = current_.line;
        Advance();
        SkipSemanticsAndAnnotations();
        if (!IsPunct('=')) return true;  // "sampler2D S;" is glslang's
        const Token equals = current_;
        Advance();
        if (current_.kind != TokenKind::Identifier || current_.text != "sampler_state") {
            return Fail(current_, "expected 'sampler_state { ... }' after '" + binding.sampler +
                                      " =', found " + Describe());
        }
        Advance();
        if (!IsPunct('{')) {
            return Fail(current_, "expected '{' after sampler_state, found " + Describe());
        }
        Advance();
        while (!IsPunct('}')) {
            if (AtEnd())
                return Fail(equals,
                            "sampler_state of '" + binding.sampler + "' is not closed with '}'");
            if (!SamplerState(&binding)) return false;
        }
        Advance();  // "}"
        const size_t blockEnd = previousEnd_;
        if (!IsPunct(';')) {
            return Fail(current_, "expected ';' after the sampler_state of '" + binding.sampler +
                                      "', found " + Describe());
        }
        Advance();
        edits_.push_back({equals.begin, blockEnd, {}, equals.line, equals.column});
        if (type.dim == TextureDim::None || std::string_view(type.name) == "sampler1D") {
            typeEdits_.push_back({edits_.size(), source_->samplers.size()});
            edits_.push_back(
                {typeToken.begin, typeToken.end, "?", typeToken.line, typeToken.column});
        }
        source_->samplers.push_back(std::move(binding));
        *handled = true;
        return true;
    }

    // NAME = VALUE ;   Texture's VALUE is <T>, (T) or T.
    bool SamplerState(SamplerBinding* binding) {
        const Token name = current_;
        if (name.kind != TokenKind::Identifier) {
            return Fail(name, "expected a sampler state in the sampler_state of '" +
                                  binding->sampler + "', found " + Describe());
        }
        Advance();
        if (!IsPunct('=')) {
            return Fail(current_,
                        "expected '=' after " + std::string(name.text) + ", found " + Describe());
        }
        Advance();
        std::vector<Token> value;
        while (!AtEnd() && !IsPunct(';') && !IsPunct('}')) {
            value.push_back(current_);
            Advance();
        }
        if (!IsPunct(';')) {
            return Fail(current_,
                        "expected ';' after " + std::string(name.text) + ", found " + Describe());
        }
        Advance();
        std::string_view word = name.text;
        if (word.size() == 7 && (word == "Texture" || word == "texture" || word == "TEXTURE")) {
            const Token* texture = nullptr;
            for (const Token& token : value)
                if (token.kind == TokenKind::Identifier) texture = &token;
            if (!texture || value.size() > 3) {
                return Fail(name, "expected 'Texture = <name>;' in the sampler_state of '" +
                                      binding->sampler + "'");
            }
            binding->texture = std::string(texture->text);
            return true;
        }
        if (const StateName* state = SamplerStateNamed(word)) {
            uint32_t number = 0;
            if (value.size() != 1 || !StateValue(*state, value[0].text, &number)) {
                return Fail(value.empty() ? name : value[0],
                            "not a value of " + std::string(name.text) +
                                " in the sampler_state of '" + binding->sampler + "'");
            }
            binding->states.push_back({state->id, number, name.line, name.column});
            return true;
        }
        if (IgnoredSamplerState(word)) {
            *warnings_ += path_ + "(" + std::to_string(name.line) + "," +
                          std::to_string(name.column) + "): warning: " + std::string(word) +
                          " in the sampler_state of '" + binding->sampler + "' is ignored\n";
            return true;
        }
        return Fail(name,
                    "sampler state '" + std::string(word) +
                        "' is not supported (Texture, "
                        "MinFilter, MagFilter, MipFilter, AddressU, AddressV and AddressW are)");
    }

    // [uniform|extern|shared] TYPE NAME [: semantic] [<...>] = VALUE ;
    // records VALUE when it is numbers. Nothing is consumed unless the
    // statement is such a declaration: glslang reads it as it stands.
    bool Default() {
        Scanner look = scanner_;
        Token token = current_;
        auto next = [&] { token = look.Next(); };
        while (token.kind == TokenKind::Identifier &&
               (token.text == "uniform" || token.text == "extern" || token.text == "shared"))
            next();
        if (token.kind != TokenKind::Identifier || !IsNumberType(token.text)) return true;
        next();
        if (token.kind != TokenKind::Identifier) return true;
        ParameterDefault parameter;
        parameter.name = std::string(token.text);
        parameter.line = token.line;
        next();
        // Semantics and annotations, as in SkipSemanticsAndAnnotations.
        for (int guard = 0; guard < 64; ++guard) {
            if (token.kind == TokenKind::Punct && token.text == ":") {
                next();
                if (token.kind == TokenKind::Identifier) next();
            } else if (token.kind == TokenKind::Punct && token.text == "<") {
                while (token.kind != TokenKind::End && token.text != ">") next();
                next();
            } else {
                break;
            }
        }
        if (token.kind != TokenKind::Punct || token.text != "=") return true;
        next();
        bool negative = false;
        size_t budget = 64;  // tokens of a value: float4x4's sixteen numbers and their commas
        while (token.kind != TokenKind::End &&
               !(token.kind == TokenKind::Punct && token.text == ";") && budget-- > 0) {
            if (token.kind == TokenKind::Number) {
                std::string digits(token.text);
                while (!digits.empty() && (digits.back() == 'f' || digits.back() == 'F' ||
                                           digits.back() == 'h' || digits.back() == 'H'))
                    digits.pop_back();
                char* end = nullptr;
                float number = std::strtof(digits.c_str(), &end);
                if (!end || *end != '\0') return true;
                parameter.values.push_back(negative ? -number : number);
                negative = false;
            } else if (token.kind == TokenKind::Identifier &&
                       (token.text == "true" || token.text == "false")) {
                parameter.values.push_back(token.text == "true" ? 1.0f : 0.0f);
            } else if (token.kind == TokenKind::Punct && token.text == "-") {
                negative = !negative;
            } else if (!(token.kind == TokenKind::Identifier && IsNumberType(token.text)) &&
                       !(token.kind == TokenKind::Punct &&
                         (token.text == "(" || token.text == ")" || token.text == "{" ||
                          token.text == "}" || token.text == ","))) {
                return true;  // an expression: its value is glslang's business
            }
            next();
        }
        if (!parameter.values.empty() && token.kind == TokenKind::Punct && token.text == ";")
            source_->defaults.push_back(std::move(parameter));
        return true;
    }

    // A "sampler" takes its texture's type, else the type of the tex* calls
    // that read it, else 2D.
    void ResolveSamplerTypes() {
        for (auto [editIndex, samplerIndex] : typeEdits_) {
            SamplerBinding& binding = source_->samplers[samplerIndex];
            if (binding.dim == TextureDim::None) {
                for (const TextureDeclaration& texture : source_->textures)
                    if (texture.name == binding.texture && texture.dim != TextureDim::None)
                        binding.dim = texture.dim;
            }
            if (binding.dim == TextureDim::None) binding.dim = DimFromCalls(binding.sampler);
            if (binding.dim == TextureDim::None) binding.dim = TextureDim::Tex2D;
            edits_[editIndex].replacement = SamplerTypeFor(binding.dim);
        }
        // The textures' own types follow their samplers where they had none.
        for (TextureDeclaration& texture : source_->textures) {
            for (const SamplerBinding& binding : source_->samplers)
                if (texture.dim == TextureDim::None && binding.texture == texture.name)
                    texture.dim = binding.dim;
        }
    }

    TextureDim DimFromCalls(const std::string& sampler) const {
        struct Call {
            const char* prefix;
            TextureDim dim;
        };
        constexpr Call kCalls[] = {{"texCUBE", TextureDim::Cube},
                                   {"tex3D", TextureDim::Tex3D},
                                   {"tex2D", TextureDim::Tex2D}};
        for (const Call& call : kCalls) {
            size_t at = 0;
            while ((at = text_.find(call.prefix, at)) != std::string::npos) {
                size_t open = text_.find('(', at);
                at += 1;
                if (open == std::string::npos) break;
                size_t name = text_.find_first_not_of(" \t\r\n", open + 1);
                if (name != std::string::npos &&
                    text_.compare(name, sampler.size(), sampler) == 0 &&
                    (name + sampler.size() >= text_.size() ||
                     !IsIdentChar(text_[name + sampler.size()])))
                    return call.dim;
            }
        }
        return TextureDim::None;
    }

    void Apply() {
        std::sort(edits_.begin(), edits_.end(),
                  [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
        std::string& hlsl = source_->hlsl;
        for (const Edit& edit : edits_) {
            if (edit.replacement.empty()) {
                for (size_t i = edit.begin; i < edit.end && i < hlsl.size(); ++i)
                    if (hlsl[i] != '\n' && hlsl[i] != '\r') hlsl[i] = ' ';
                continue;
            }
            hlsl.replace(edit.begin, edit.end - edit.begin, edit.replacement);
            int grown =
                static_cast<int>(edit.replacement.size()) - static_cast<int>(edit.end - edit.begin);
            if (grown != 0) {
                // Edits on one line are applied right to left: an earlier
                // shift's column moves with this one.
                for (ColumnShift& shift : source_->columnShifts)
                    if (shift.line == edit.line) shift.from += grown;
                source_->columnShifts.push_back(
                    {edit.line, edit.column + static_cast<int>(edit.replacement.size()), -grown});
            }
        }
    }

    const std::string& text_;
    const std::string& path_;
    EffectSource* source_;
    Scanner scanner_;
    Token current_;
    size_t previousEnd_ = 0;
    std::string* error_ = nullptr;
    std::string* warnings_ = nullptr;
    std::vector<Edit> edits_;
    std::vector<std::pair<size_t, size_t>> typeEdits_;  // (edit, sampler) of a "sampler" to type
};

}  // namespace

bool TranslateD3D9Syntax(const std::string& path, EffectSource* source, std::string* error,
                         std::string* warnings) {
    const std::string text = source->hlsl;  // scanned while source->hlsl is edited
    return Translator(text, path, source).Run(error, warnings);
}

int OriginalColumn(const std::vector<ColumnShift>& shifts, int line, int column) {
    int original = column;
    for (const ColumnShift& shift : shifts)
        if (shift.line == line && column >= shift.from) original += shift.shift;
    return original < 1 ? 1 : original;
}

}  // namespace gfx::effect
