#include "platform/text/cp949.h"

#include <iconv.h>

#include <bit>
#include <cstring>
#include <vector>

namespace text {

namespace {

iconv_t Handle(void* descriptor) { return static_cast<iconv_t>(descriptor); }

constexpr const char* kUtf32Native =
    std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace

Cp949Decoder::Cp949Decoder() : descriptor_(nullptr) {
    iconv_t cd = iconv_open(kUtf32Native, "CP949");
    if (cd != reinterpret_cast<iconv_t>(-1)) descriptor_ = cd;
}

Cp949Decoder::~Cp949Decoder() {
    if (descriptor_) iconv_close(Handle(descriptor_));
}

bool Cp949Decoder::IsOpen() const { return descriptor_ != nullptr; }

char32_t Cp949Decoder::DecodePair(char lead, char trail) {
    if (!descriptor_) return kReplacementCharacter;
    char pair[2] = {lead, trail};
    char* in = pair;
    size_t inLeft = sizeof pair;
    char32_t decoded[2] = {};
    char* out = reinterpret_cast<char*>(decoded);
    size_t outLeft = sizeof decoded;
    iconv_t cd = Handle(descriptor_);
    size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    bool one = result != static_cast<size_t>(-1) && inLeft == 0 &&
               outLeft == sizeof decoded - sizeof(char32_t);
    return one ? decoded[0] : kReplacementCharacter;
}

void Cp949Decoder::Decode(std::string_view text, std::u32string& out) {
    out.clear();
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        char32_t c = kReplacementCharacter;
        if (IsLeadByte(b) && i + 1 < text.size()) c = DecodePair(text[i], text[i + 1]);
        out.push_back(c);
        i += c == kReplacementCharacter ? 1 : 2;
    }
}

bool Cp949Decoder::Decode(const char* text, int count, std::u32string& out) {
    std::string_view view;
    if (text) view = count < 0 ? std::string_view(text) : std::string_view(text, size_t(count));
    Decode(view, out);
    return IsOpen();
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementCharacter;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string Cp949ToUtf8(std::string_view text) {
    Cp949Decoder decoder;
    std::u32string decoded;
    decoder.Decode(text, decoded);
    std::string out;
    out.reserve(decoded.size());
    for (char32_t c : decoded) AppendUtf8(c, out);
    return out;
}

std::string Utf8ToCp949(std::string_view text) {
    iconv_t descriptor = iconv_open("CP949", "UTF-8");
    if (descriptor == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out;
    std::vector<char> buffer(text.size() * 2 + 16);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* to = buffer.data();
        size_t toLeft = buffer.size();
        size_t result = iconv(descriptor, &in, &inLeft, &to, &toLeft);
        out.append(buffer.data(), size_t(to - buffer.data()));
        if (result == static_cast<size_t>(-1) && inLeft > 0 && toLeft == buffer.size()) {
            // Nothing converted: skip the character (a lead byte and its
            // continuation bytes) that code page 949 cannot hold.
            out += '?';
            do {
                ++in;
                --inLeft;
            } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        }
    }
    iconv_close(descriptor);
    return out;
}

}  // namespace text
