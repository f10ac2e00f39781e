#include "platform/gfx/effect/effect_source.h"

#include <strings.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

// A small hand-written reader: the technique/pass syntax belongs to the old
// effect framework, not to HLSL, and no Debian library parses it. It only
// needs tokens, comments and strings, so a scanner of a hundred lines serves.
//
// Bounds: time linear in the text, memory the text's copy plus the blocks'
// records; at most kMaxPasses passes, each of which becomes a GL program.

namespace gfx::effect {

namespace {

enum class TokenKind { Identifier, Number, String, Punct, End };

// A token's text is a view into the file's text, which outlives the reading.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    int line = 1;
    size_t begin = 0;  // byte range in the source
    size_t end = 0;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Hands out the text's tokens one at a time, skipping comments and
// preprocessor lines; nothing is kept of the tokens already handed out, so
// reading takes no memory in proportion to the text. An unterminated comment
// or string ends the tokens: Next then gives End, and Error() says why.
class Scanner {
public:
    Scanner(const std::string& text, const std::string& path) : text_(text), path_(path) {}

    Token Next() {
        while (pos_ < text_.size() && error_.empty()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
                lineStart_ = true;
                continue;
            }
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
                continue;
            }
            if (c == '#' && lineStart_) {
                SkipDirective();
                continue;
            }
            lineStart_ = false;
            if (c == '/' && Peek(1) == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
                continue;
            }
            if (c == '/' && Peek(1) == '*') {
                SkipBlockComment();
                continue;
            }
            return Scan(c);
        }
        Token end;
        end.line = line_;
        end.begin = end.end = text_.size();
        return end;
    }

    // Empty unless the text ended in an unterminated comment or string.
    const std::string& Error() const { return error_; }

private:
    char Peek(size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    Token Scan(char c) {
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
                error_ = Message(token.line, "string not closed on its line");
                return Next();
            }
            ++pos_;
            token.kind = TokenKind::String;
        } else if (IsIdentStart(c)) {
            while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
            token.kind = TokenKind::Identifier;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && std::isdigit(static_cast<unsigned char>(Peek(1))))) {
            while (pos_ < text_.size() && (IsIdentChar(text_[pos_]) || text_[pos_] == '.')) ++pos_;
            token.kind = TokenKind::Number;
        } else {
            ++pos_;
            token.kind = TokenKind::Punct;
        }
        token.end = pos_;
        token.text = std::string_view(text_).substr(token.begin, token.end - token.begin);
        return token;
    }

    void SkipBlockComment() {
        int startLine = line_;
        pos_ += 2;
        while (pos_ < text_.size() && !(text_[pos_] == '*' && Peek(1) == '/')) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            error_ = Message(startLine, "comment not closed before the end of the file");
            return;
        }
        pos_ += 2;
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
    bool lineStart_ = true;
    std::string error_;
};

// Case-insensitive comparison of a token with a keyword.
bool SameWord(std::string_view a, const char* b) {
    size_t n = std::strlen(b);
    return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

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

const RenderStateName* RenderStateNamed(std::string_view name) {
    for (const RenderStateName& state : kRenderStates)
        if (SameWord(name, state.name)) return &state;
    return nullptr;
}

// Reads the blocks from the scanner's tokens, one token in hand. Every step
// moves forward, each technique name goes into a hash set once, and message
// texts are only put together on failure, so reading is linear in the text.
class BlockParser {
public:
    BlockParser(Scanner& scanner, const std::string& path) : scanner_(scanner), path_(path) {
        current_ = scanner_.Next();
    }

    bool Run(EffectSource* out, std::string* error) {
        error_ = error;
        int depth = 0;
        std::unordered_set<std::string_view> names;
        while (!AtEnd()) {
            if (depth == 0 && current_.kind == TokenKind::Identifier && current_.text == "technique") {
                size_t begin = current_.begin;
                TechniqueDesc technique;
                std::string_view name;
                if (!ParseTechnique(&technique, &name)) return false;
                if (!names.insert(name).second) {
                    return Fail(technique.line, "technique '" + technique.name + "' is defined twice");
                }
                out->techniques.push_back(std::move(technique));
                Blank(&out->hlsl, begin, previousEnd_);
                continue;
            }
            if (IsPunct('{')) ++depth;
            if (IsPunct('}') && depth > 0) --depth;
            Advance();
        }
        if (!scanner_.Error().empty()) return Fail(0, "");
        if (out->techniques.empty()) return Fail(current_.line, "the effect has no technique");
        return true;
    }

private:
    bool AtEnd() const { return current_.kind == TokenKind::End; }
    bool IsPunct(char c) const {
        return current_.kind == TokenKind::Punct && current_.text.size() == 1 && current_.text[0] == c;
    }
    void Advance() {
        previousEnd_ = current_.end;
        current_ = scanner_.Next();
    }

    // A token running into an unterminated comment or string ends the
    // tokens early: that, not what the parser expected there, is the fault.
    bool Fail(int line, const std::string& what) {
        if (!scanner_.Error().empty()) {
            *error_ = scanner_.Error();
        } else {
            *error_ = path_ + "(" + std::to_string(line) + "): error: " + what;
        }
        return false;
    }

    // What the token in hand looks like, for messages.
    std::string Describe() const {
        return AtEnd() ? std::string("the end of the file") : "'" + std::string(current_.text) + "'";
    }

    // Consumes the punctuation c, or fails with "expected 'c' WHERE, found ...";
    // where() builds its text only then.
    template <typename Where>
    bool Expect(char c, const Where& where) {
        if (!IsPunct(c)) {
            return Fail(current_.line, std::string("expected '") + c + "' " + where() + ", found " +
                                           Describe());
        }
        Advance();
        return true;
    }

    // Annotations, "< ... >", are accepted and ignored: they only carry data
    // for tools.
    template <typename Where>
    bool SkipAnnotations(const Where& where) {
        if (!IsPunct('<')) return true;
        int line = current_.line;
        Advance();
        while (!AtEnd() && !IsPunct('>')) Advance();
        if (AtEnd()) return Fail(line, "annotation of " + where() + " is not closed with '>'");
        Advance();
        return true;
    }

    bool ParseTechnique(TechniqueDesc* technique, std::string_view* name) {
        technique->line = current_.line;
        Advance();  // "technique"
        if (current_.kind != TokenKind::Identifier) {
            return Fail(current_.line, "expected the technique's name, found " + Describe());
        }
        *name = current_.text;
        technique->name = std::string(current_.text);
        Advance();
        auto where = [technique] { return "technique '" + technique->name + "'"; };
        if (!SkipAnnotations(where)) return false;
        if (!Expect('{', [&] { return "after " + where(); })) return false;
        while (!IsPunct('}')) {
            if (AtEnd()) return Fail(technique->line, where() + " is not closed with '}'");
            if (current_.kind != TokenKind::Identifier || current_.text != "pass") {
                return Fail(current_.line,
                            "expected 'pass' or '}' in " + where() + ", found " + Describe());
            }
            if (++passCount_ > kMaxPasses) {
                return Fail(current_.line, "more than " + std::to_string(kMaxPasses) +
                                               " passes in the effect");
            }
            PassDesc pass;
            if (!ParsePass(*technique, technique->passes.size(), &pass)) return false;
            technique->passes.push_back(std::move(pass));
        }
        Advance();  // "}"
        if (technique->passes.empty()) return Fail(technique->line, where() + " has no pass");
        return true;
    }

    bool ParsePass(const TechniqueDesc& technique, size_t index, PassDesc* pass) {
        pass->line = current_.line;
        Advance();  // "pass"
        if (current_.kind == TokenKind::Identifier) {
            pass->name = std::string(current_.text);
            Advance();
        }
        auto where = [&] {
            return "pass '" + PassLabel(*pass, index) + "' of technique '" + technique.name + "'";
        };
        if (!SkipAnnotations(where)) return false;
        if (!Expect('{', [&] { return "to open " + where(); })) return false;
        while (!IsPunct('}')) {
            if (AtEnd()) return Fail(pass->line, where() + " is not closed with '}'");
            if (!ParseState(where, pass)) return false;
        }
        Advance();  // "}"
        if (pass->vertexShader.entry.empty()) return Fail(pass->line, where() + " has no VertexShader");
        if (pass->pixelShader.entry.empty()) return Fail(pass->line, where() + " has no PixelShader");
        return true;
    }

    // STATE = compile PROFILE ENTRY ( ) ;   for VertexShader and PixelShader,
    // STATE = VALUE ;   for the render states of RenderStateNamed. Any other
    // state is refused rather than ignored.
    template <typename Where>
    bool ParseState(const Where& where, PassDesc* pass) {
        const Token name = current_;
        if (name.kind != TokenKind::Identifier) {
            return Fail(name.line, "expected a state assignment in " + where() + ", found " +
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
            return Fail(name.line, "state '" + std::string(name.text) + "' in " + where() +
                                       " is not supported (VertexShader, PixelShader, FillMode, "
                                       "CullMode, ZEnable and ZWriteEnable are)");
        }
        const std::string stateName(name.text);
        if (!shader->entry.empty()) return Fail(name.line, stateName + " is set twice in " + where());
        shader->line = name.line;
        Advance();
        if (!Expect('=', [&] { return "after " + stateName; })) return false;
        if (current_.kind != TokenKind::Identifier || !SameWord(current_.text, "compile")) {
            return Fail(current_.line, "expected 'compile PROFILE Entry()' after " + stateName +
                                           " =, found " + Describe());
        }
        Advance();
        if (current_.kind != TokenKind::Identifier) {
            return Fail(current_.line, "expected a shader profile after 'compile', found " +
                                           Describe());
        }
        shader->profile = std::string(current_.text);
        const char* prefix = stage == Stage::Vertex ? "vs_" : "ps_";
        if (strncasecmp(shader->profile.c_str(), prefix, 3) != 0) {
            return Fail(current_.line, "profile '" + shader->profile + "' does not fit " +
                                           stateName + " (expected " + prefix + "...)");
        }
        Advance();
        if (current_.kind != TokenKind::Identifier) {
            return Fail(current_.line, "expected the entry point's name after '" +
                                           shader->profile + "', found " + Describe());
        }
        shader->entry = std::string(current_.text);
        Advance();
        if (!Expect('(', [&] { return "after entry point '" + shader->entry + "'"; })) return false;
        if (!IsPunct(')')) {
            return Fail(current_.line, "entry point '" + shader->entry +
                                           "' is compiled without arguments, found " + Describe());
        }
        Advance();
        return Expect(';', [&] { return "after '" + shader->entry + "()'"; });
    }

    // NAME = VALUE ;   VALUE is one of the state's value names or a number.
    template <typename Where>
    bool ParseRenderState(const RenderStateName& state, const Where& where, PassDesc* pass) {
        RenderStateAssignment assignment;
        assignment.state = state.id;
        assignment.line = current_.line;
        const std::string stateName(current_.text);
        Advance();
        // At most one entry per state: the list stays as short as the table.
        for (const RenderStateAssignment& earlier : pass->renderStates) {
            if (earlier.state == state.id) {
                return Fail(assignment.line, stateName + " is set twice in " + where());
            }
        }
        if (!Expect('=', [&] { return "after " + stateName; })) return false;
        const Token value = current_;
        bool known = false;
        if (value.kind == TokenKind::Number) {
            std::string digits(value.text);
            char* end = nullptr;
            unsigned long number = std::strtoul(digits.c_str(), &end, 0);
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
            return Fail(value.line, "'" + std::string(value.text) + "' is not a value of " +
                                        stateName + " in " + where());
        }
        Advance();
        pass->renderStates.push_back(assignment);
        return Expect(';', [&] { return "after " + stateName + " = " + std::string(value.text); });
    }

    // Spaces over [begin, end), line breaks kept.
    static void Blank(std::string* text, size_t begin, size_t end) {
        for (size_t i = begin; i < end && i < text->size(); ++i) {
            char& c = (*text)[i];
            if (c != '\n' && c != '\r') c = ' ';
        }
    }

    Scanner& scanner_;
    const std::string& path_;
    std::string* error_ = nullptr;
    Token current_;
    size_t previousEnd_ = 0;  // end of the last token consumed
    size_t passCount_ = 0;
};

}  // namespace

std::string PassLabel(const PassDesc& pass, size_t index) {
    return pass.name.empty() ? "P" + std::to_string(index) : pass.name;
}

bool ReadEffectSource(const std::string& text, const std::string& path, EffectSource* out,
                      std::string* error) {
    Scanner scanner(text, path);
    EffectSource result;
    result.hlsl = text;
    if (!BlockParser(scanner, path).Run(&result, error)) return false;
    *out = std::move(result);
    return true;
}

}  // namespace gfx::effect
