// The font's road from code page 949 bytes to quads, short of the GPU: decode,
// glyphs rasterised by FreeType into the atlas, layout in a rectangle. The
// first 20 bytes choose the rectangle and the DrawText flags, the rest is the
// text. Every quad must be non-empty, inside the rectangle unless DT_NOCLIP,
// and must sample only texels inside the atlas.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gfx/font/text_builder.h"

namespace {

gfx::font::TextBuilder& Builder() {
    static gfx::font::TextBuilder* builder = [] {
        auto* made = new gfx::font::TextBuilder();
        gfx::font::FontRequest request;
        request.height = 20;  // the program's HUD font: 20 pixels, bold Arial
        request.weight = 700;
        request.faceName = "Arial";
        std::string error;
        if (!made->Open(nullptr, request, &error)) {
            std::fprintf(stderr, "text_layout fuzz: no font: %s\n", error.c_str());
            std::abort();
        }
        return made;
    }();
    return *builder;
}

int32_t Read32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 20) return 0;
    gfx::Rect rect{Read32(data), Read32(data + 4), Read32(data + 8), Read32(data + 12)};
    uint32_t format = static_cast<uint32_t>(Read32(data + 16));
    const char* text = reinterpret_cast<const char*>(data + 20);
    gfx::font::TextBuilder& builder = Builder();
    int height = builder.Build(text, static_cast<int>(size - 20), rect, format);
    if (height < 0) std::abort();
    if (builder.Quads().size() > builder.CodePoints().size()) std::abort();
    const bool clip = (format & gfx::font::DT_NOCLIP) == 0;
    const int atlasWidth = builder.Atlas().Width(), atlasHeight = builder.Atlas().Height();
    for (const gfx::font::Quad& q : builder.Quads()) {
        if (q.x0 >= q.x1 || q.y0 >= q.y1) std::abort();
        if (clip &&
            (q.x0 < rect.left || q.y0 < rect.top || q.x1 > rect.right || q.y1 > rect.bottom))
            std::abort();
        if (q.atlasX < 0 || q.atlasY < 0 || int64_t(q.atlasX) + q.x1 - q.x0 > atlasWidth ||
            int64_t(q.atlasY) + q.y1 - q.y0 > atlasHeight)
            std::abort();
    }
    return 0;
}
