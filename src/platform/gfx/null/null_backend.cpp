// The null backend (null_backend.h).
#include "platform/gfx/null/null_backend.h"

#include <vector>

#include "platform/gfx/core/device_objects.h"
#include "platform/gfx/null/null_services.h"

namespace gfx::null {

namespace {

uint32_t LevelEdge(uint32_t edge, uint32_t level) {
    uint32_t e = level < 32 ? edge >> level : 0;
    return e ? e : 1;
}

// Buffers keep the copy that Lock hands out.
template <typename Base>
class NullBuffer final : public Base {
public:
    template <typename... Extra>
    NullBuffer(DeviceFront& device, uint32_t length, Extra... extra) : Base(device, length, extra...) {
        this->KeepCopy();
    }
};

class NullDeclaration final : public DeclarationObject {
public:
    NullDeclaration(DeviceFront& device, std::vector<VertexElement> table,
                    std::vector<rules::ElementLayout> layout)
        : DeclarationObject(device, std::move(table), std::move(layout)) {}
};

// Only a texture's size is kept.
class NullTexture final : public DeviceChild<Texture> {
public:
    NullTexture(DeviceFront& device, const TextureFile& file)
        : DeviceChild<Texture>(device), width_(file.width), height_(file.height), levels_(file.levels) {}
    ResourceType GetType() const override { return ResourceType::Texture; }
    uint32_t GetLevelCount() const override { return levels_; }
    uint32_t GetWidth(uint32_t level) const override { return level < levels_ ? LevelEdge(width_, level) : 0; }
    uint32_t GetHeight(uint32_t level) const override { return level < levels_ ? LevelEdge(height_, level) : 0; }

private:
    uint32_t width_, height_, levels_;
};

class NullCubeTexture final : public DeviceChild<CubeTexture> {
public:
    NullCubeTexture(DeviceFront& device, const TextureFile& file)
        : DeviceChild<CubeTexture>(device), edge_(file.width), levels_(file.levels) {}
    ResourceType GetType() const override { return ResourceType::CubeTexture; }
    uint32_t GetLevelCount() const override { return levels_; }
    uint32_t GetEdgeLength(uint32_t level) const override { return level < levels_ ? LevelEdge(edge_, level) : 0; }

private:
    uint32_t edge_, levels_;
};

class NullDevice final : public DeviceFront {
public:
    NullDevice(uint32_t width, uint32_t height, bool depth, const EffectAndFontMakers& makers)
        : DeviceFront(width, height, depth, makers) {}
    DeviceServices& Services() override { return services_; }
    uint64_t draws = 0;

protected:
    HRESULT MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) override {
        *buffer = new NullBuffer<VertexBufferObject>(*this, length);
        return S_OK;
    }
    HRESULT MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) override {
        *buffer = new NullBuffer<IndexBufferObject>(*this, length, format);
        return S_OK;
    }
    HRESULT MakeVertexDeclaration(std::vector<VertexElement> table,
                                  std::vector<rules::ElementLayout> layout,
                                  VertexDeclaration** declaration) override {
        *declaration = new NullDeclaration(*this, std::move(table), std::move(layout));
        return S_OK;
    }
    HRESULT MakeTexture(const TextureFile& file, Texture** texture) override {
        *texture = new NullTexture(*this, file);
        return S_OK;
    }
    HRESULT MakeCubeTexture(const TextureFile& file, CubeTexture** texture) override {
        *texture = new NullCubeTexture(*this, file);
        return S_OK;
    }
    void ClearTargets(uint32_t, const Rect*, uint32_t, uint32_t, float, uint32_t) override {}
    void PresentFrame() override {}
    void DrawVertices(PrimitiveType, uint32_t, uint32_t) override { ++draws; }
    void DrawIndexed(PrimitiveType, int32_t, uint32_t, uint32_t) override { ++draws; }

private:
    NullServices services_;
};

class NullDirect3D final : public Direct3DFront {
public:
    using Direct3DFront::Direct3DFront;

protected:
    // No window is needed: the back buffer is the size asked for, 800 × 600 if none.
    HRESULT MakeDevice(HWND /*window*/, PresentParameters* p, Device** device) override {
        if (p->backBufferWidth == 0) p->backBufferWidth = 800;
        if (p->backBufferHeight == 0) p->backBufferHeight = 600;
        *device = new NullDevice(p->backBufferWidth, p->backBufferHeight,
                                 p->enableAutoDepthStencil != 0, Makers());
        return S_OK;
    }
};

}  // namespace

Direct3D* CreateDirect3D(const EffectAndFontMakers& makers) { return new NullDirect3D(makers); }

uint64_t GetDrawCallCount(Device* device) {
    auto* null = dynamic_cast<NullDevice*>(device);
    return null ? null->draws : 0;
}

}  // namespace gfx::null
