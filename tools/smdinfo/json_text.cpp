#include "json_text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>

#include "platform/text/cp949.h"

std::string JsonString(const std::string& text) {
    std::string utf8 = text::Cp949ToUtf8(text);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(float value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", double(value));
    return text;
}
