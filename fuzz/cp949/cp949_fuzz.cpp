// Code page 949 decoding: any bytes give code points without reading past
// the input, and the UTF-8 form holds one replacement or character per step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text/cp949.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static text::Cp949Decoder decoder;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::u32string decoded;
    decoder.Decode(bytes, decoded);
    if (decoded.size() > size) std::abort();
    std::string utf8 = text::Cp949ToUtf8(bytes);
    if (utf8.size() > 3 * size) std::abort();
    return 0;
}
