// Code page 949 (Unified Hangul Code, a superset of EUC-KR): the one decoder
// of the program's Korean texts, for the font (code points), the message
// boxes and window titles (UTF-8 for SDL) and smdinfo (UTF-8 for JSON), and
// the encoder of UTF-8 texts for the message boxes.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Written for each byte that does not start a valid sequence.
constexpr char32_t kReplacementCharacter = U'\uFFFD';

// Decodes with one iconv descriptor (CP949 to UTF-32), opened once and reused,
// so a decode allocates nothing once the output has grown to the text's size.
//
// The walk over the bytes is ours, not iconv's: a byte below 0x80 is itself;
// a lead byte (0x81..0xFE) and the byte after it are handed to iconv as one
// pair; anything else, a pair iconv refuses and a lead byte cut off by the
// end of the text become one replacement each, and decoding goes on at the
// next byte. (glibc's CP949 converter can consume a pair and still report it
// invalid, so how far iconv moved is never trusted.)
class Cp949Decoder {
public:
    Cp949Decoder();
    ~Cp949Decoder();
    Cp949Decoder(const Cp949Decoder&) = delete;
    Cp949Decoder& operator=(const Cp949Decoder&) = delete;

    // False when the system's iconv does not know CP949; bytes below 0x80
    // still decode then, and every other byte becomes a replacement.
    bool IsOpen() const;

    // Decodes text into out, replacing its contents.
    void Decode(std::string_view text, std::u32string& out);
    // count < 0: up to the terminating zero; a null text gives an empty result.
    // Returns false only when the decoder is not open (out is still filled).
    bool Decode(const char* text, int count, std::u32string& out);

private:
    // The code point of the pair lead, trail, or kReplacementCharacter.
    char32_t DecodePair(char lead, char trail);

    void* descriptor_;  // iconv_t
};

// Appends code point c to out as UTF-8.
void AppendUtf8(char32_t c, std::string& out);

// text as UTF-8, invalid bytes as U+FFFD each; null gives an empty string.
std::string Cp949ToUtf8(std::string_view text);
inline std::string Cp949ToUtf8(const char* text) {
    return text ? Cp949ToUtf8(std::string_view(text)) : std::string();
}

// text (UTF-8) in code page 949, for MessageBoxA: paths may hold Hangul.
// Characters the code page lacks, and bytes that are not UTF-8, become '?'
// each. Without CP949 in the system's iconv the text comes back unchanged.
std::string Utf8ToCp949(std::string_view text);

}  // namespace text
