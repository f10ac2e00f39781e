// Turns code-page-949 (Korean) bytes into code points.
#pragma once

#include <cstddef>
#include <string>

namespace gfx::font {

// The replacement character written for bytes that are not valid CP949.
constexpr char32_t kReplacementCharacter = U'\uFFFD';

// Wraps one iconv descriptor (CP949 to UTF-32), opened once and reused, so a
// decode allocates nothing once the output string has grown to the text's size.
class Cp949Decoder {
public:
    Cp949Decoder();
    ~Cp949Decoder();
    Cp949Decoder(const Cp949Decoder&) = delete;
    Cp949Decoder& operator=(const Cp949Decoder&) = delete;

    // False when the system's iconv does not know CP949.
    bool IsOpen() const;

    // Decodes count bytes of text (count < 0: up to the terminating zero)
    // into out, replacing its contents. Every byte that does not start a valid
    // CP949 sequence, and a sequence cut off by the end of the text, become one
    // kReplacementCharacter each and decoding goes on after them. A null text
    // gives an empty result. Returns false only when the decoder is not open.
    bool Decode(const char* text, int count, std::u32string& out);

private:
    void* descriptor_;  // iconv_t
};

}  // namespace gfx::font
