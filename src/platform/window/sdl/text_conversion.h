// Code page 949 (Korean, a superset of EUC-KR) to UTF-8, for SDL, which
// takes UTF-8 everywhere.
#pragma once

#include <string>
#include <string_view>

// Bytes that are not valid code page 949 become U+FFFD each, so nothing
// after a bad byte is lost. Null gives an empty string.
std::string Cp949ToUtf8(std::string_view text);
inline std::string Cp949ToUtf8(const char* text) {
    return text ? Cp949ToUtf8(std::string_view(text)) : std::string();
}
