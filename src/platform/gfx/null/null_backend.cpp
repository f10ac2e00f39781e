// The null backend (null_backend.h).
#include "platform/gfx/null/null_backend.h"

#include <vector>

#include "platform/gfx/core/device_objects.h"
#include "platform/gfx/null/null_services.h"

namespace gfx::null {

namespace {

class NullDevice final : public DeviceFront {
public:
    NullDevice(uint32_t width, uint32_t height, bool depth, const EffectAndFontMakers& makers)
        : DeviceFront(width, height, depth, makers) {}
    DeviceServices& Services() override { return services_; }
    uint64_t draws = 0;

protected:
    HRESULT MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) override {
        *buffer = new VertexBufferObject(*this, length, true);  // the copy Lock hands out
        return S_OK;
    }
    HRESULT MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) override {
        *buffer = new IndexBufferObject(*this, length, format, true);
        return S_OK;
    }
    HRESULT MakeVertexDeclaration(std::vector<VertexElement> table,
                                  std::vector<rules::ElementLayout> layout,
                                  VertexDeclaration** declaration) override {
        *declaration = new DeclarationObject(*this, std::move(table), std::move(layout));
        return S_OK;
    }
    HRESULT MakeTexture(const TextureFile& file, Texture** texture) override {
        *texture = new TextureObject(*this, file);  // only its size is kept
        return S_OK;
    }
    HRESULT MakeCubeTexture(const TextureFile& file, CubeTexture** texture) override {
        *texture = new CubeTextureObject(*this, file);
        return S_OK;
    }
    HRESULT MakeMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, Format /*format*/,
                              Texture** texture) override {
        *texture = new TextureObject(*this, width, height, levels);  // locks hand out its copy
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
