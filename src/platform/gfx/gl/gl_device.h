// The OpenGL device: a shadow copy of the device state, applied to GL at draw
// time, and the merging of adjacent one-triangle draws.
#pragma once

#include "platform/gfx/gl/gl_internal.h"

namespace gfx::gl {

constexpr uint32_t kStreamCount = 4;
constexpr uint32_t kSamplerCount = 8;

struct SamplerSetting {
    uint32_t mag = D3DTEXF_POINT;
    uint32_t min = D3DTEXF_POINT;
    uint32_t mip = D3DTEXF_NONE;
};

struct StreamBinding {
    GlVertexBuffer* buffer = nullptr;  // not referenced: a buffer unbinds itself when destroyed
    uint32_t offset = 0;
    uint32_t stride = 0;
};

// Render states the device keeps, with Direct3D's defaults.
struct RenderStates {
    uint32_t zEnable = D3DZB_TRUE;
    uint32_t fillMode = D3DFILL_SOLID;
    uint32_t zWriteEnable = 1;
    uint32_t cullMode = D3DCULL_CCW;
    uint32_t alphaBlendEnable = 0;
    uint32_t specularEnable = 0;
    uint32_t lighting = 1;
};

// The raster and depth state as GL sees it.
struct GlRasterState {
    GLenum polygonMode = GL_FILL;
    bool cull = true;
    GLenum cullFace = GL_BACK;
    bool depthTest = true;
    bool depthWrite = true;
    bool blend = false;
    GLint viewport[4] = {0, 0, 0, 0};
    float depthRange[2] = {0.0f, 1.0f};

    bool operator==(const GlRasterState&) const = default;
};

class GlDevice final : public Device {
public:
    GlDevice(std::shared_ptr<DeviceShared> shared, uint32_t width, uint32_t height, bool depth,
             bool merge);
    ~GlDevice() override;

    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override;

    HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                               VertexBuffer** buffer, void* sharedHandle) override;
    HRESULT CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                              IndexBuffer** buffer, void* sharedHandle) override;
    HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                    VertexDeclaration** declaration) override;
    HRESULT CreateTextureFromFile(const char* path, Texture** texture) override;
    HRESULT CreateCubeTextureFromFile(const char* path, CubeTexture** texture) override;
    HRESULT CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                 Buffer** errors) override;
    HRESULT CreateFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                       int32_t italic, uint32_t charSet, uint32_t outputPrecision,
                       uint32_t quality, uint32_t pitchAndFamily, const char* faceName,
                       Font** font) override;

    HRESULT SetRenderState(RenderState state, uint32_t value) override;
    HRESULT GetRenderState(RenderState state, uint32_t* value) override;
    HRESULT SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) override;
    HRESULT LightEnable(uint32_t index, int32_t enable) override;
    HRESULT SetViewport(const Viewport* viewport) override;
    HRESULT GetViewport(Viewport* viewport) override;
    HRESULT SetVertexDeclaration(VertexDeclaration* declaration) override;
    HRESULT SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                            uint32_t stride) override;
    HRESULT SetIndices(IndexBuffer* buffer) override;

    HRESULT Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present(const Rect* sourceRect, const Rect* destRect, HWND overrideWindow,
                    const void* dirtyRegion) override;
    HRESULT DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
    HRESULT DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                 uint32_t minVertexIndex, uint32_t numVertices,
                                 uint32_t startIndex, uint32_t primitiveCount) override;

    uint32_t GetLiveObjectCount() const override { return shared_->liveObjects; }

    // Services for the effect and font libraries and for the tests.
    void FlushPendingDraws();
    void InvalidateState() { applied_valid_ = false; }
    void MakeCurrent() { MakeContextCurrent(shared_->window, shared_->context); }
    void SetMerging(bool enabled);
    uint64_t DrawCalls() const { return drawCalls_; }
    const std::shared_ptr<DeviceShared>& Shared() const { return shared_; }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }

    // A buffer or declaration going away unbinds itself.
    void Forget(const void* object);

private:
    // Brings GL up to the shadow state before a draw.
    void ApplyState();
    void ApplySampler(uint32_t index);
    GlRasterState WantedRaster() const;
    // Checks that the bound streams hold vertices first..last; false otherwise.
    bool StreamsCover(int64_t first, int64_t last) const;
    void IssueDraw(GLenum mode, uint32_t first, uint32_t count);

    uint32_t references_ = 1;
    std::shared_ptr<DeviceShared> shared_;
    uint32_t width_;
    uint32_t height_;
    bool merge_;
    bool inScene_ = false;

    RenderStates states_;
    Viewport viewport_;
    SamplerSetting samplers_[kSamplerCount];
    GlVertexDeclaration* declaration_ = nullptr;
    StreamBinding streams_[kStreamCount];
    GlIndexBuffer* indices_ = nullptr;

    // What GL holds now; applied_valid_ false means "unknown, apply all".
    bool applied_valid_ = false;
    bool inputDirty_ = true;
    GlRasterState applied_;
    GLuint appliedElementBuffer_ = 0;
    GLuint vao_ = 0;
    GLuint samplerNames_[kSamplerCount] = {};

    // A run of DrawPrimitive calls not yet sent to GL.
    struct PendingDraw {
        bool active = false;
        GLenum mode = 0;
        uint32_t first = 0;
        uint32_t count = 0;
    } pending_;
    uint64_t drawCalls_ = 0;
};

}  // namespace gfx::gl
