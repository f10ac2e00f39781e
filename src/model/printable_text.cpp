#include "model/printable_text.h"

#include <cstdint>
#include <cstdio>

#include "platform/text/cp949.h"

namespace {

// Length of the UTF-8 sequence at text[i], or 0 when it is not one
// (overlong forms, surrogates and code points past U+10FFFF included).
size_t Utf8Sequence(std::string_view text, size_t i, char32_t* point) {
    const uint8_t lead = uint8_t(text[i]);
    if (lead < 0x80) {
        *point = lead;
        return 1;
    }
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return 0;
    char32_t value = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const uint8_t next = uint8_t(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        value = value << 6 | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *point = value;
    return length;
}

bool IsUtf8(std::string_view text) {
    char32_t point;
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8Sequence(text, i, &point);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

}  // namespace

std::string FileTextAsUtf8(std::string_view text) {
    return IsUtf8(text) ? std::string(text) : text::Cp949ToUtf8(text);
}

std::string PrintableText(std::string_view text) {
    const std::string utf8 = FileTextAsUtf8(text);
    std::string out;
    out.reserve(utf8.size());
    char32_t point;
    for (size_t i = 0; i < utf8.size();) {
        size_t length = Utf8Sequence(utf8, i, &point);
        if (length == 0) {  // not reached: the text is UTF-8 by now
            point = uint8_t(utf8[i]);
            length = 1;
        }
        if (point < 0x20 || (point >= 0x7F && point <= 0x9F)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", unsigned(point));
            out += escaped;
        } else {
            out.append(utf8, i, length);
        }
        i += length;
    }
    return out;
}
