#include "json_text.h"

#include <iconv.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

std::string Cp949ToUtf8(const std::string& text) {
    // glibc's iconv knows CP949; a hand-made table would be thousands of entries.
    iconv_t converter = iconv_open("UTF-8", "CP949");
    if (converter == iconv_t(-1)) return text;
    std::string out;
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, size_t(outPtr - buffer));
        if (result == size_t(-1) && errno != E2BIG) {
            // Invalid or cut-off sequence: replace one byte and go on.
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(converter);
    return out;
}

std::string JsonString(const std::string& text) {
    std::string utf8 = Cp949ToUtf8(text);
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
