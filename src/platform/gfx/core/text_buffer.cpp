#include "platform/gfx/core/text_buffer.h"

#include <vector>

namespace gfx {

namespace {

class TextBuffer final : public Buffer {
public:
    explicit TextBuffer(const std::string& text) : bytes_(text.begin(), text.end()) {
        bytes_.push_back('\0');
    }
    void* GetBufferPointer() override { return bytes_.data(); }
    uint32_t GetBufferSize() const override { return static_cast<uint32_t>(bytes_.size()); }

private:
    std::vector<char> bytes_;
};

}  // namespace

Buffer* CreateTextBuffer(const std::string& text) { return new TextBuffer(text); }

}  // namespace gfx
