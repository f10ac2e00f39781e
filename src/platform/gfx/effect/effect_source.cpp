#include "platform/gfx/effect/effect_source.h"

#include <strings.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "platform/gfx/effect/d3d9_syntax.h"
#include "platform/gfx/effect/effect_tokens.h"
#include "platform/gfx/effect/state_names.h"

// A small hand-written reader: the technique/pass syntax belongs to the old
// effect framework, not to HLSL, and no Debian library parses it. It only
// needs tokens, comments and strings, so a scanner of a hundred lines serves.
//
// Bounds: time linear in the text, memory the text's copy plus the blocks'
// records; at most kMaxPasses passes, each of which becomes a GL program.

namespace gfx::effect {

namespace {

// Case-insensitive comparison of a token with a keyword.
bool SameWord(std::string_view a, const char* b) {
    size_t n = std::strlen(b);
    return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

// Turns text[begin, end) into blanks, keeping its line breaks (and so every
// later line and column where it was).
void Blank(std::string* text, size_t begin, size_t end) {
    for (size_t i = begin; i < end && i < text->size(); ++i) {
        char& c = (*text)[i];
        if (c != '\n' && c != '\r') c = ' ';
    }
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
            if (depth == 0 && current_.kind == TokenKind::Identifier &&
                current_.text == "technique") {
                size_t begin = current_.begin;
                TechniqueDesc technique;
                std::string_view name;
                if (!ParseTechnique(&technique, &name)) return false;
                if (!names.insert(name).second) {
                    return Fail(technique.line, technique.column,
                                "technique '" + technique.name + "' is defined twice");
                }
                out->techniques.push_back(std::move(technique));
                Blank(&out->hlsl, begin, previousEnd_);
                continue;
            }
            if (IsPunct('{')) ++depth;
            if (IsPunct('}') && depth > 0) --depth;
            Advance();
        }
        if (!scanner_.Error().empty()) return Fail(0, 0, "");
        if (out->techniques.empty()) return Fail(current_, "the effect has no technique");
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

    // A token running into an unterminated comment or string ends the
    // tokens early: that, not what the parser expected there, is the fault.
    bool Fail(int line, int column, const std::string& what) {
        if (!scanner_.Error().empty()) {
            *error_ = scanner_.Error();
        } else {
            *error_ = path_ + "(" + std::to_string(line) + "," + std::to_string(column) +
                      "): error: " + what;
        }
        return false;
    }
    bool Fail(const Token& at, const std::string& what) { return Fail(at.line, at.column, what); }

    // What the token in hand looks like, for messages.
    std::string Describe() const {
        return AtEnd() ? std::string("the end of the file")
                       : "'" + std::string(current_.text) + "'";
    }

    // Consumes the punctuation c, or fails with "expected 'c' WHERE, found ...";
    // where() builds its text only then.
    template <typename Where>
    bool Expect(char c, const Where& where) {
        if (!IsPunct(c)) {
            return Fail(current_,
                        std::string("expected '") + c + "' " + where() + ", found " + Describe());
        }
        Advance();
        return true;
    }

    // Annotations, "< ... >", are accepted and ignored: they only carry data
    // for tools.
    template <typename Where>
    bool SkipAnnotations(const Where& where) {
        if (!IsPunct('<')) return true;
        const Token open = current_;
        Advance();
        while (!AtEnd() && !IsPunct('>')) Advance();
        if (AtEnd()) return Fail(open, "annotation of " + where() + " is not closed with '>'");
        Advance();
        return true;
    }

    bool ParseTechnique(TechniqueDesc* technique, std::string_view* name) {
        technique->line = current_.line;
        technique->column = current_.column;
        Advance();  // "technique"
        if (current_.kind != TokenKind::Identifier) {
            return Fail(current_, "expected the technique's name, found " + Describe());
        }
        *name = current_.text;
        technique->name = std::string(current_.text);
        Advance();
        auto where = [technique] { return "technique '" + technique->name + "'"; };
        if (!SkipAnnotations(where)) return false;
        if (!Expect('{', [&] { return "after " + where(); })) return false;
        while (!IsPunct('}')) {
            if (AtEnd())
                return Fail(technique->line, technique->column,
                            where() + " is not closed with '}'");
            if (current_.kind != TokenKind::Identifier || current_.text != "pass") {
                return Fail(current_,
                            "expected 'pass' or '}' in " + where() + ", found " + Describe());
            }
            if (++passCount_ > kMaxPasses) {
                return Fail(current_,
                            "more than " + std::to_string(kMaxPasses) + " passes in the effect");
            }
            PassDesc pass;
            if (!ParsePass(*technique, technique->passes.size(), &pass)) return false;
            technique->passes.push_back(std::move(pass));
        }
        Advance();  // "}"
        if (technique->passes.empty())
            return Fail(technique->line, technique->column, where() + " has no pass");
        return true;
    }

    bool ParsePass(const TechniqueDesc& technique, size_t index, PassDesc* pass) {
        pass->line = current_.line;
        pass->column = current_.column;
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
            if (AtEnd()) return Fail(pass->line, pass->column, where() + " is not closed with '}'");
            if (!ParseState(where, pass)) return false;
        }
        Advance();  // "}"
        if (pass->vertexShader.entry.empty())
            return Fail(pass->line, pass->column, where() + " has no VertexShader");
        if (pass->pixelShader.entry.empty())
            return Fail(pass->line, pass->column, where() + " has no PixelShader");
        return true;
    }

    // STATE = compile PROFILE ENTRY ( ) ;   for VertexShader and PixelShader,
    // STATE = VALUE ;   for the render states of RenderStateNamed. Any other
    // state is refused rather than ignored.
    template <typename Where>
    bool ParseState(const Where& where, PassDesc* pass) {
        const Token name = current_;
        if (name.kind != TokenKind::Identifier) {
            return Fail(name,
                        "expected a state assignment in " + where() + ", found " + Describe());
        }
        ShaderRef* shader = nullptr;
        Stage stage = Stage::Vertex;
        if (SameWord(name.text, "VertexShader")) {
            shader = &pass->vertexShader;
        } else if (SameWord(name.text, "PixelShader")) {
            shader = &pass->pixelShader;
            stage = Stage::Pixel;
        } else if (const StateName* state = RenderStateNamed(name.text)) {
            return ParseRenderState(*state, where, pass);
        } else {
            return Fail(name, "state '" + std::string(name.text) + "' in " + where() +
                                  " is not supported (" + RenderStateList() + ")");
        }
        const std::string stateName(name.text);
        if (!shader->entry.empty()) return Fail(name, stateName + " is set twice in " + where());
        shader->line = name.line;
        shader->column = name.column;
        Advance();
        if (!Expect('=', [&] { return "after " + stateName; })) return false;
        if (current_.kind != TokenKind::Identifier || !SameWord(current_.text, "compile")) {
            return Fail(current_, "expected 'compile PROFILE Entry()' after " + stateName +
                                      " =, found " + Describe());
        }
        Advance();
        if (current_.kind != TokenKind::Identifier) {
            return Fail(current_, "expected a shader profile after 'compile', found " + Describe());
        }
        shader->profile = std::string(current_.text);
        const char* prefix = stage == Stage::Vertex ? "vs_" : "ps_";
        if (strncasecmp(shader->profile.c_str(), prefix, 3) != 0) {
            return Fail(current_, "profile '" + shader->profile + "' does not fit " + stateName +
                                      " (expected " + prefix + "...)");
        }
        Advance();
        if (current_.kind != TokenKind::Identifier) {
            return Fail(current_, "expected the entry point's name after '" + shader->profile +
                                      "', found " + Describe());
        }
        shader->entry = std::string(current_.text);
        Advance();
        if (!Expect('(', [&] { return "after entry point '" + shader->entry + "'"; })) return false;
        if (!IsPunct(')')) {
            return Fail(current_, "entry point '" + shader->entry +
                                      "' is compiled without arguments, found " + Describe());
        }
        Advance();
        return Expect(';', [&] { return "after '" + shader->entry + "()'"; });
    }

    // NAME = VALUE ;   VALUE is one of the state's value names or a number.
    template <typename Where>
    bool ParseRenderState(const StateName& state, const Where& where, PassDesc* pass) {
        RenderStateAssignment assignment;
        assignment.state = state.id;
        assignment.line = current_.line;
        assignment.column = current_.column;
        const std::string stateName(current_.text);
        Advance();
        // At most one entry per state: the list stays as short as the table.
        for (const RenderStateAssignment& earlier : pass->renderStates) {
            if (earlier.state == state.id) {
                return Fail(assignment.line, assignment.column,
                            stateName + " is set twice in " + where());
            }
        }
        if (!Expect('=', [&] { return "after " + stateName; })) return false;
        const Token value = current_;
        bool known = (value.kind == TokenKind::Number || value.kind == TokenKind::Identifier) &&
                     StateValue(state, value.text, &assignment.value);
        if (!known) {
            return Fail(value, "'" + std::string(value.text) + "' is not a value of " + stateName +
                                   " in " + where());
        }
        Advance();
        pass->renderStates.push_back(assignment);
        return Expect(';', [&] { return "after " + stateName + " = " + std::string(value.text); });
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
    // "#line" would make the compiler's messages name other lines and other
    // files than the one being edited; the messages are read against this
    // file, so the directives are blanked, with one warning.
    const std::vector<DirectiveSpan>& lines = scanner.LineDirectives();
    for (const DirectiveSpan& span : lines) Blank(&result.hlsl, span.begin, span.end);
    if (!lines.empty()) {
        result.warnings += path + "(" + std::to_string(lines[0].line) + "," +
                           std::to_string(lines[0].column) +
                           "): warning: #line is ignored: messages give this file's own lines\n";
    }
    if (!TranslateD3D9Syntax(path, &result, error, &result.warnings)) return false;
    *out = std::move(result);
    return true;
}

}  // namespace gfx::effect
