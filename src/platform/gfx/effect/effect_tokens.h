// The tokens of an effect file as its block readers see them: identifiers,
// numbers, strings and punctuation, with comments and preprocessor lines
// skipped. A hand-written scanner of a hundred lines: the effect framework's
// blocks need no more, and no Debian library reads them.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace gfx::effect {

enum class TokenKind { Identifier, Number, String, Punct, End };

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

    // A directive runs to the end of its line; a backslash before the line
    // break continues it.
    void SkipDirective() {
        while (pos_ < text_.size() && text_[pos_] != '\n') {
            if (text_[pos_] == '\\' && Peek(1) == '\n') {
                ++line_;
                ++pos_;
                lineBegin_ = pos_ + 1;
            } else if (text_[pos_] == '\\' && Peek(1) == '\r' && Peek(2) == '\n') {
                ++line_;
                pos_ += 2;
                lineBegin_ = pos_ + 1;
            }
            ++pos_;
        }
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
};

}  // namespace gfx::effect
