#include "platform/window/sdl/text_conversion.h"

#include <cerrno>
#include <iconv.h>

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// glibc's iconv knows code page 949 as "CP949" (Unified Hangul Code).
class Converter {
public:
    Converter() : handle_(iconv_open("UTF-8", "CP949")) {}
    ~Converter() {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

std::string Cp949ToUtf8(std::string_view text) {
    std::string result;
    Converter converter;
    if (!converter.valid()) {
        // Without the converter, ASCII still passes; everything else is marked.
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x80) {
                result += c;
            } else {
                result += kReplacement;
            }
        }
        return result;
    }
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t status = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        result.append(buffer, static_cast<size_t>(out - buffer));
        if (status != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;  // buffer full: flush and go on
        // EILSEQ (an invalid byte) or EINVAL (a sequence cut off at the end):
        // mark the byte and carry on after it.
        result += kReplacement;
        ++in;
        --inLeft;
        iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return result;
}
