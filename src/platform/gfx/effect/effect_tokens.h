// The tokens of an effect file as its block readers see them: identifiers,
// numbers, strings and punctuation, with comments and preprocessor lines
// skipped. A hand-written scanner of a hundred lines: the effect framework's
// blocks need no more, and no Debian library reads them.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gfx::effect {

enum class TokenKind { Identifier, Number, String, Punct, End };

// Where a preprocessor directive stands in the text: its byte range, the
// line break that ends it excluded, and its first line and column.
struct DirectiveSpan {
    size_t begin = 0;
    size_t end = 0;
    int line = 1;
    int column = 1;
};

// A token's text is a view into the file's text, which outlives the reading.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
    int line = 1;
    int column = 1;    // 1-based, in bytes from the line's start
    size_t begin = 0;  // byte range in the source
    size_t end = 0;
};

inline bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
inline bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

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
                lineBegin_ = pos_;
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

    // The "#line" directives skipped so far.
    const std::vector<DirectiveSpan>& LineDirectives() const { return lineDirectives_; }

private:
    char Peek(size_t ahead) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    Token Scan(char c) {
        Token token;
        token.line = line_;
        token.column = static_cast<int>(pos_ - lineBegin_) + 1;
        token.begin = pos_;
        if (c == '"') {
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"' && text_[pos_] != '\n') {
                if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) ++pos_;
                ++pos_;
            }
            if (pos_ >= text_.size() || text_[pos_] != '"') {
                error_ = Message(token.line, token.column, "string not closed on its line");
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
        int startColumn = static_cast<int>(pos_ - lineBegin_) + 1;
        pos_ += 2;
        while (pos_ < text_.size() && !(text_[pos_] == '*' && Peek(1) == '/')) {
            if (text_[pos_] == '\n') {
                ++line_;
                lineBegin_ = pos_ + 1;
            }
            ++pos_;
        }
        if (pos_ >= text_.size()) {
            error_ =
                Message(startLine, startColumn, "comment not closed before the end of the file");
            return;
        }
        pos_ += 2;
    }

    // The length of the line splice (a backslash and the line break after
    // it) at `at`; 0 when there is none.
    size_t Splice(size_t at) const {
        if (at >= text_.size() || text_[at] != '\\') return 0;
        if (at + 1 < text_.size() && text_[at + 1] == '\n') return 2;
        if (at + 2 < text_.size() && text_[at + 1] == '\r' && text_[at + 2] == '\n') return 3;
        return 0;
    }

    // A directive runs to the end of its line, as the preprocessor reads
    // it: a line splice continues it, and so does a block comment that
    // spans lines; a string in it may hold "/*".
    void SkipDirective() {
        DirectiveSpan span{pos_, pos_, line_, static_cast<int>(pos_ - lineBegin_) + 1};
        ++pos_;
        bool lineComment = false, inString = false;
        while (pos_ < text_.size() && text_[pos_] != '\n' && error_.empty()) {
            const char c = text_[pos_];
            if (size_t splice = Splice(pos_)) {
                pos_ += splice;
                ++line_;
                lineBegin_ = pos_;
            } else if (lineComment || inString) {
                if (c == '"') inString = false;
                ++pos_;
            } else if (c == '/' && Peek(1) == '/') {
                lineComment = true;
            } else if (c == '/' && Peek(1) == '*') {
                SkipBlockComment();
            } else {
                if (c == '"') inString = true;
                ++pos_;
            }
        }
        span.end = pos_;
        if (DirectiveName(span) == "line") lineDirectives_.push_back(span);
    }

    // The directive's name: the word after '#', past blanks, comments and
    // line splices.
    std::string DirectiveName(const DirectiveSpan& span) const {
        size_t at = span.begin + 1;
        while (at < span.end) {
            if (size_t splice = Splice(at)) {
                at += splice;
            } else if (text_[at] == ' ' || text_[at] == '\t' || text_[at] == '\r' ||
                       text_[at] == '\f' || text_[at] == '\v') {
                ++at;
            } else if (text_[at] == '/' && at + 1 < span.end && text_[at + 1] == '*') {
                size_t close = text_.find("*/", at + 2);
                at = close == std::string::npos ? span.end : close + 2;
            } else {
                break;
            }
        }
        std::string name;
        while (at < span.end && name.size() < 8) {
            if (size_t splice = Splice(at)) {
                at += splice;
            } else if (IsIdentChar(text_[at])) {
                name += text_[at++];
            } else {
                break;
            }
        }
        return name;
    }

    std::string Message(int line, int column, const std::string& what) const {
        return path_ + "(" + std::to_string(line) + "," + std::to_string(column) +
               "): error: " + what;
    }

    const std::string& text_;
    const std::string& path_;
    size_t pos_ = 0;
    int line_ = 1;
    size_t lineBegin_ = 0;
    bool lineStart_ = true;
    std::string error_;
    std::vector<DirectiveSpan> lineDirectives_;
};

}  // namespace gfx::effect
