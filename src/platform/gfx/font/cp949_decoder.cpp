#include "platform/gfx/font/cp949_decoder.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>

namespace gfx::font {

namespace {

iconv_t Handle(void* descriptor) { return static_cast<iconv_t>(descriptor); }

constexpr const char* kUtf32Native =
    std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

// Unconverted input is processed in chunks written to this stack buffer.
constexpr size_t kChunkCodePoints = 64;

}  // namespace

Cp949Decoder::Cp949Decoder() : descriptor_(nullptr) {
    iconv_t cd = iconv_open(kUtf32Native, "CP949");
    if (cd != reinterpret_cast<iconv_t>(-1)) {
        descriptor_ = cd;
    }
}

Cp949Decoder::~Cp949Decoder() {
    if (descriptor_) {
        iconv_close(Handle(descriptor_));
    }
}

bool Cp949Decoder::IsOpen() const { return descriptor_ != nullptr; }

bool Cp949Decoder::Decode(const char* text, int count, std::u32string& out) {
    out.clear();
    if (!descriptor_) {
        return false;
    }
    if (!text) {
        return true;
    }
    size_t inLeft = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
    // iconv's prototype takes char** for historical reasons; it never writes
    // through the input pointer.
    char* in = const_cast<char*>(text);
    iconv_t cd = Handle(descriptor_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state

    char32_t chunk[kChunkCodePoints];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof(chunk);
        size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        int error = result == static_cast<size_t>(-1) ? errno : 0;
        size_t produced = (sizeof(chunk) - outLeft) / sizeof(char32_t);
        out.append(chunk, produced);
        if (error == E2BIG) {
            continue;  // chunk full: convert the rest
        }
        if (error == EILSEQ || error == EINVAL) {
            // Not a valid sequence here (EILSEQ) or one cut off by the end of
            // the text (EINVAL): one replacement, then resume at the next byte.
            out.push_back(kReplacementCharacter);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        if (error != 0) {
            // Any other failure: keep what was decoded, mark the rest once.
            out.push_back(kReplacementCharacter);
            break;
        }
    }
    return true;
}

}  // namespace gfx::font
