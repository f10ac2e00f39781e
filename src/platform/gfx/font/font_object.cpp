// The font object, the same on every device: it draws through the device's
// services (core/device_services.h).
//
// A DrawTextA call decodes and lays out the text on the processor
// (TextBuilder), writes atlas rows that gained glyphs to the device's atlas,
// and appends the text's quads, each vertex with its colour, to a batch that
// the device holds back like its own merged draws (HoldOverlay). At the
// device's next flush the whole batch is drawn at once (DrawOverlay).
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/core/device_child.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/font/font_configuration.h"
#include "platform/gfx/font/text_builder.h"

namespace gfx::font {

namespace {

// Room for a batch of 1024 glyphs (the HUD's seven lines have about 250).
constexpr size_t kInitialBatchVertices = 6 * 1024;

class FontObject final : public DeviceChild<Font>, private PendingOverlay {
public:
    explicit FontObject(DeviceFront& device)
        : DeviceChild<Font>(device), services_(device.Services()) {
        vertices_.reserve(kInitialBatchVertices);
    }

    // Chooses the faces and makes the atlas; false with a message.
    bool Init(FcConfig* config, const FontRequest& request, std::string* error) {
        if (!builder_.Open(config, request, error)) return false;
        GlyphAtlas& atlas = builder_.Atlas();
        atlas_ = services_.CreateAtlas(atlas.Width(), atlas.Height(), error);
        if (!atlas_) return false;
        atlasHeight_ = atlas.Height();
        services_.WriteAtlasRows(atlas_, atlas.Width(), 0, atlas.Height(), atlas.Pixels());
        atlas.MarkClean();
        return true;
    }

    int DrawTextA(void* /*sprite*/, const char* text, int count, Rect* rect, uint32_t format,
                  uint32_t color) override {
        if (!text || !DeviceAlive()) {
            return 0;
        }
        // Without a rectangle the text starts at the target's top left, unclipped.
        Rect area;
        if (rect) {
            area = *rect;
        } else {
            format |= DT_NOCLIP;
        }
        const uint32_t generation = builder_.Atlas().Generation();
        const int height = builder_.Build(text, count, area, format);
        if (format & DT_CALCRECT) {
            if (rect) {
                *rect = builder_.Extent();
            }
            return height;
        }
        const std::vector<Quad>& quads = builder_.Quads();
        if (quads.empty()) {
            return height;
        }
        // Text lands in render-target pixels and is clipped by the viewport,
        // as sprite text is on Direct3D. A change of viewport flushes the
        // device, so a batch has one viewport.
        Viewport viewport;
        Owner().GetViewport(&viewport);
        if (viewport.width == 0 || viewport.height == 0) {
            return height;
        }
        // The atlas started over: the batch held back samples glyphs that are
        // gone from it. It is drawn now, while the atlas has them.
        if (!vertices_.empty() && generation != builder_.Atlas().Generation()) {
            services_.FlushPendingDraws();
        }
        SyncAtlas();
        if (vertices_.empty()) {
            batchViewport_ = viewport;
        }
        Append(quads, color);
        services_.HoldOverlay(this);
        return height;
    }

private:
    ~FontObject() override {
        services_.DropOverlay(this);
        if (atlas_) services_.DeleteAtlas(atlas_);
    }

    // Writes what the atlas gained to the device's atlas; a grown atlas is
    // made anew.
    void SyncAtlas() {
        GlyphAtlas& atlas = builder_.Atlas();
        if (atlas.Resized() || atlas.Height() != atlasHeight_) {
            services_.DeleteAtlas(atlas_);
            atlas_ = services_.CreateAtlas(atlas.Width(), atlas.Height(), nullptr);
            atlasHeight_ = atlas.Height();
            services_.WriteAtlasRows(atlas_, atlas.Width(), 0, atlas.Height(), atlas.Pixels());
        } else if (atlas.IsDirty()) {
            services_.WriteAtlasRows(atlas_, atlas.Width(), atlas.DirtyTop(), atlas.DirtyBottom(),
                                     atlas.Pixels() + size_t(atlas.DirtyTop()) * atlas.Width());
        }
        atlas.MarkClean();
    }

    void Append(const std::vector<Quad>& quads, uint32_t argb) {
        const uint8_t rgba[4] = {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                                 static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)};
        uint32_t c = 0;
        std::memcpy(&c, rgba, sizeof c);
        for (const Quad& q : quads) {
            const float x0 = static_cast<float>(q.x0), y0 = static_cast<float>(q.y0);
            const float x1 = static_cast<float>(q.x1), y1 = static_cast<float>(q.y1);
            const float s0 = static_cast<float>(q.atlasX), t0 = static_cast<float>(q.atlasY);
            const float s1 = s0 + (x1 - x0), t1 = t0 + (y1 - y0);
            vertices_.push_back({x0, y0, s0, t0, c});
            vertices_.push_back({x1, y0, s1, t0, c});
            vertices_.push_back({x0, y1, s0, t1, c});
            vertices_.push_back({x1, y0, s1, t0, c});
            vertices_.push_back({x1, y1, s1, t1, c});
            vertices_.push_back({x0, y1, s0, t1, c});
        }
    }

    // The device's flush: the batch at once.
    void DrawPending() override {
        if (!vertices_.empty() && DeviceAlive()) {
            services_.DrawOverlay(atlas_, vertices_.data(), vertices_.size(), batchViewport_);
        }
        vertices_.clear();
    }

    DeviceServices& services_;
    TextBuilder builder_;
    std::vector<OverlayVertex> vertices_;
    uint32_t atlas_ = 0;
    int atlasHeight_ = 0;
    Viewport batchViewport_;
};

}  // namespace

HRESULT CreateFontWithConfig(FcConfig* config, Device* device, int32_t height, uint32_t width,
                             uint32_t weight, int32_t italic, const char* faceName, Font** font) {
    if (!font) {
        return D3DERR_INVALIDCALL;
    }
    *font = nullptr;
    auto* front = dynamic_cast<DeviceFront*>(device);
    if (!front) {
        return D3DERR_INVALIDCALL;
    }
    FontRequest request;
    request.height = height;
    request.width = width;
    request.weight = weight;
    request.italic = italic != 0;
    request.faceName = faceName ? faceName : "";
    // The current configuration may still be loading (StartLoadingFontConfiguration).
    if (!config) WaitForFontConfiguration();
    auto* created = new FontObject(*front);
    std::string error;
    if (!created->Init(config, request, &error)) {
        LogLine("CreateFont: %s", error.c_str());
        created->Release();
        return E_FAIL;
    }
    *font = created;
    return S_OK;
}

HRESULT MakeFont(DeviceFront& device, int32_t height, uint32_t width, uint32_t weight,
                 int32_t italic, const char* faceName, Font** font) {
    return CreateFontWithConfig(nullptr, &device, height, width, weight, italic, faceName, font);
}

}  // namespace gfx::font
