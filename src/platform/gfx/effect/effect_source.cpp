#include "platform/gfx/effect/effect_source.h"

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <strings.h>

// A small hand-written reader: the technique/pass syntax belongs to the old
// effect framework, not to HLSL, and no Debian library parses it. It only
// needs tokens, comments and strings, so a scanner of a hundred lines serves.

namespace gfx::effect {

namespace {

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    int line = 1;
    size_t begin = 0;  // byte range in the source
    size_t end = 0;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Splits the text into tokens, skipping comments and preprocessor lines.
// Returns false with a message for an unterminated comment or string.
class Scanner {
public:
    Scanner(const std::string& text, const std::string& path) : text_(text), path_(path) {}

    bool Run(std::vector<Token>* tokens, std::string* error) {
        bool lineStart = true;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
                lineStart = true;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
                continue;
            }
            if (c == '#' && lineStart) {
                SkipDirective();
                continue;
            }
            lineStart = false;
            if (c == '/' && Peek(1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                int startLine = line_;
                pos_ += 2;
                while (pos_ < text_.size() && !(text_[pos_] == '*' && Peek(1) == '/')) {
                    if (text_[pos_] == '\n') ++line_;
                    ++pos_;
                }
                if (pos_ >= text_.size()) {
                    *error = Message(startLine, "comment not closed before the end of the file");
                    return false;
                }
                pos_ += 2;
                continue;
            }
            Token token;
            token.line = line_;
            token.begin = pos_;
            if (c == '"') {
                ++pos_;
                while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') {
                    if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
                    ++pos_;
                }
                if (pos_ >= text_.size() || text_[pos_] != '"') {
                    *error = Message(token.line, "string not closed on its line");
                    return false;
                }
                ++pos_;
                token.kind = TokenKind::String;
            } else if (IsIdentStart(c)) {
                while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
                token.kind = TokenKind::Identifier;
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '.' && std::isdigit(static_cast<unsigned char>(Peek(1))))) {
                while (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || text_[pos_] == '.')) {
                    ++pos_;
                }
                token.kind = TokenKind::Number;
            } else {
                ++pos_;
                token.kind = TokenKind::Punct;
            }
            token.end = pos_;
            token.text = text_.substr(token.begin, token.end - token.begin);
            tokens->push_back(std::move(token));
        }
        Token end;
        end.line = line_;
        end.begin = end.end = text_.size();
        tokens->push_back(end);
        return true;
    }

private:
    char Peek(size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    // A directive runs to the end of its line; a backslash before the line
    // break continues it.
    void SkipDirective() {
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            if (text_[pos_] == '\\' && Peek(1) == '\n') {
                ++line_;
                ++pos_;
            } else if (text_[pos_] == '\\' && Peek(1) == '\r' && Peek(2) == '\n') {
                ++line_;
                pos_ += 2;
            }
            ++pos_;
        }
    }

    std::string Message(int line, const std::string& what) const {
        return path_ + "(" + std::to_string(line) + "): error: " + what;
    }

    const std::string& text_;
    const std::string& path_;
    size_t pos_ = 0;
    int line_ = 1;
};

bool SameWord(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// The render states a pass may set, with the device's ids and value numbers.
struct RenderStateValue {
    const char* name;
    uint32_t value;
};
struct RenderStateName {
    const char* name;
    uint32_t id;
    const RenderStateValue* values;  // ends with a null name
};
constexpr RenderStateValue kFillModes[] = {{"Point", 1}, {"Wireframe", 2}, {"Solid", 3}, {nullptr, 0}};
constexpr RenderStateValue kCullModes[] = {{"None", 1}, {"CW", 2}, {"CCW", 3}, {nullptr, 0}};
constexpr RenderStateValue kBooleans[] = {{"False", 0}, {"True", 1}, {nullptr, 0}};
constexpr RenderStateName kRenderStates[] = {
    {"FillMode", 8, kFillModes},
    {"CullMode", 22, kCullModes},
    {"ZEnable", 7, kBooleans},
    {"ZWriteEnable", 14, kBooleans},
};

const RenderStateName* RenderStateNamed(const std::string& name) {
    for (const RenderStateName& state : kRenderStates)
        if (SameWord(name, state.name)) return &state;
    return nullptr;
}

class BlockParser {
public:
    BlockParser(const std::vector<Token>& tokens, const std::string& path)
        : tokens_(tokens), path_(path) {}

    bool Run(EffectSource* out, std::string* error) {
        error_ = error;
        int depth = 0;
        while (Current().kind != TokenKind::End) {
            const Token& token = Current();
            if (depth == 0 && token.kind == TokenKind::Identifier && token.text == "technique") {
                size_t begin = token.begin;
                TechniqueDesc technique;
                if (!ParseTechnique(&technique)) return false;
                for (const TechniqueDesc& other : out->techniques) {
                    if (other.name == technique.name) {
                        return Fail(technique.line,
                                    "technique '" + technique.name + "' is defined twice");
                    }
                }
                out->techniques.push_back(std::move(technique));
                Blank(&out->hlsl, begin, tokens_[index_ - 1].end);
                continue;
            }
            if (token.kind == TokenKind::Punct && token.text == "{") ++depth;
            if (token.kind == TokenKind::Punct && token.text == "}" && depth > 0) --depth;
            ++index_;
        }
        if (out->techniques.empty()) return Fail(Current().line, "the effect has no technique");
        return true;
    }

private:
    const Token& Current() const { return tokens_[index_]; }
    bool AtEnd() const { return Current().kind == TokenKind::End; }

    bool IsPunct(const char* text) const {
        return Current().kind == TokenKind::Punct && Current().text == text;
    }

    bool Fail(int line, const std::string& what) {
        *error_ = path_ + "(" + std::to_string(line) + "): error: " + what;
        return false;
    }

    // What the token in hand looks like, for messages.
    std::string Describe() const {
        return AtEnd() ? std::string("the end of the file") : "'" + Current().text + "'";
    }

    bool Expect(const char* punct, const std::string& where) {
        if (!IsPunct(punct)) {
            return Fail(Current().line, std::string("expected '") + punct + "' " + where +
                                            ", found " + Describe());
        }
        ++index_;
        return true;
    }

    // Annotations, "< ... >", are accepted and ignored: they only carry data
    // for tools.
    bool SkipAnnotations(const std::string& where) {
        if (!IsPunct("<")) return true;
        int line = Current().line;
        ++index_;
        while (!AtEnd() && !IsPunct(">")) ++index_;
        if (AtEnd()) return Fail(line, "annotation of " + where + " is not closed with '>'");
        ++index_;
        return true;
    }

    bool ParseTechnique(TechniqueDesc* technique) {
        technique->line = Current().line;
        ++index_;  // "technique"
        if (Current().kind != TokenKind::Identifier) {
            return Fail(Current().line, "expected the technique's name, found " + Describe());
        }
        technique->name = Current().text;
        ++index_;
        std::string where = "technique '" + technique->name + "'";
        if (!SkipAnnotations(where)) return false;
        if (!Expect("{", "after " + where)) return false;
        while (!IsPunct("}")) {
            if (AtEnd()) {
                return Fail(technique->line, where + " is not closed with '}'");
            }
            if (Current().kind != TokenKind::Identifier || Current().text != "pass") {
                return Fail(Current().line,
                            "expected 'pass' or '}' in " + where + ", found " + Describe());
            }
            PassDesc pass;
            if (!ParsePass(where, technique->passes.size(), &pass)) return false;
            technique->passes.push_back(std::move(pass));
        }
        ++index_;  // "}"
        if (technique->passes.empty()) return Fail(technique->line, where + " has no pass");
        return true;
    }

    bool ParsePass(const std::string& techniqueWhere, size_t index, PassDesc* pass) {
        pass->line = Current().line;
        ++index_;  // "pass"
        if (Current().kind == TokenKind::Identifier) {
            pass->name = Current().text;
            ++index_;
        }
        std::string where = "pass '" + PassLabel(*pass, index) + "' of " + techniqueWhere;
        if (!SkipAnnotations(where)) return false;
        if (!Expect("{", "to open " + where)) return false;
        while (!IsPunct("}")) {
            if (AtEnd()) return Fail(pass->line, where + " is not closed with '}'");
            if (!ParseState(where, pass)) return false;
        }
        ++index_;  // "}"
        if (pass->vertexShader.entry.empty()) return Fail(pass->line, where + " has no VertexShader");
        if (pass->pixelShader.entry.empty()) return Fail(pass->line, where + " has no PixelShader");
        return true;
    }

    // STATE = compile PROFILE ENTRY ( ) ;   for VertexShader and PixelShader,
    // STATE = VALUE ;   for the render states of RenderStateNamed. Any other
    // state is refused rather than ignored.
    bool ParseState(const std::string& where, PassDesc* pass) {
        const Token& name = Current();
        if (name.kind != TokenKind::Identifier) {
            return Fail(name.line, "expected a state assignment in " + where + ", found " +
                                       Describe());
        }
        ShaderRef* shader = nullptr;
        Stage stage = Stage::Vertex;
        if (SameWord(name.text, "VertexShader")) {
            shader = &pass->vertexShader;
        } else if (SameWord(name.text, "PixelShader")) {
            shader = &pass->pixelShader;
            stage = Stage::Pixel;
        } else if (const RenderStateName* state = RenderStateNamed(name.text)) {
            return ParseRenderState(*state, where, pass);
        } else {
            return Fail(name.line, "state '" + name.text + "' in " + where +
                                       " is not supported (VertexShader, PixelShader, FillMode, "
                                       "CullMode, ZEnable and ZWriteEnable are)");
        }
        if (!shader->entry.empty()) {
            return Fail(name.line, name.text + " is set twice in " + where);
        }
        std::string stateName = name.text;
        shader->line = name.line;
        ++index_;
        if (!Expect("=", "after " + stateName)) return false;
        if (Current().kind != TokenKind::Identifier || !SameWord(Current().text, "compile")) {
            return Fail(Current().line, "expected 'compile PROFILE Entry()' after " + stateName +
                                            " =, found " + Describe());
        }
        ++index_;
        if (Current().kind != TokenKind::Identifier) {
            return Fail(Current().line, "expected a shader profile after 'compile', found " +
                                            Describe());
        }
        shader->profile = Current().text;
        const char* prefix = stage == Stage::Vertex ? "vs_" : "ps_";
        if (strncasecmp(shader->profile.c_str(), prefix, 3) != 0) {
            return Fail(Current().line, "profile '" + shader->profile + "' does not fit " +
                                            stateName + " (expected " + prefix + "...)");
        }
        ++index_;
        if (Current().kind != TokenKind::Identifier) {
            return Fail(Current().line, "expected the entry point's name after '" +
                                            shader->profile + "', found " + Describe());
        }
        shader->entry = Current().text;
        ++index_;
        if (!Expect("(", "after entry point '" + shader->entry + "'")) return false;
        if (!IsPunct(")")) {
            return Fail(Current().line, "entry point '" + shader->entry +
                                            "' is compiled without arguments, found " +
                                            Describe());
        }
        ++index_;
        return Expect(";", "after '" + shader->entry + "()'");
    }

    // NAME = VALUE ;   VALUE is one of the state's value names or a number.
    bool ParseRenderState(const RenderStateName& state, const std::string& where,
                          PassDesc* pass) {
        RenderStateAssignment assignment;
        assignment.state = state.id;
        assignment.line = Current().line;
        std::string stateName = Current().text;
        ++index_;
        for (const RenderStateAssignment& earlier : pass->renderStates) {
            if (earlier.state == state.id) {
                return Fail(assignment.line, stateName + " is set twice in " + where);
            }
        }
        if (!Expect("=", "after " + stateName)) return false;
        const Token& value = Current();
        bool known = false;
        if (value.kind == TokenKind::Number) {
            char* end = nullptr;
            unsigned long number = std::strtoul(value.text.c_str(), &end, 0);
            known = end && *end == '\0' && number <= 0xFFFFFFFFul;
            assignment.value = static_cast<uint32_t>(number);
        } else if (value.kind == TokenKind::Identifier) {
            for (const RenderStateValue* v = state.values; v && v->name; ++v) {
                if (SameWord(value.text, v->name)) {
                    assignment.value = v->value;
                    known = true;
                    break;
                }
            }
        }
        if (!known) {
            return Fail(value.line, "'" + (AtEnd() ? std::string() : value.text) +
                                        "' is not a value of " + stateName + " in " + where);
        }
        ++index_;
        pass->renderStates.push_back(assignment);
        return Expect(";", "after " + stateName + " = " + value.text);
    }

    // Spaces over [begin, end), line breaks kept.
    static void Blank(std::string* text, size_t begin, size_t end) {
        for (size_t i = begin; i < end && i < text->size(); ++i) {
            char& c = (*text)[i];
            if (c != '\n' && c != '\r') c = ' ';
        }
    }

    const std::vector<Token>& tokens_;
    const std::string& path_;
    std::string* error_ = nullptr;
    size_t index_ = 0;
};

}  // namespace

std::string PassLabel(const PassDesc& pass, size_t index) {
    return pass.name.empty() ? "P" + std::to_string(index) : pass.name;
}

bool ReadEffectSource(const std::string& text, const std::string& path, EffectSource* out,
                      std::string* error) {
    std::vector<Token> tokens;
    if (!Scanner(text, path).Run(&tokens, error)) return false;
    EffectSource result;
    result.hlsl = text;
    if (!BlockParser(tokens, path).Run(&result, error)) return false;
    *out = std::move(result);
    return true;
}

}  // namespace gfx::effect
