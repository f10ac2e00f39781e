// The front of every device and Direct3D object, shared by all backends:
// each call is checked here once (a refused call logs its reason and fails),
// the device state lives here (render and sampler states from one table, the
// viewport, what is bound, the scene bracket, the count of live children),
// texture files are read and decoded here (texture_file.h), effects and fonts
// are made by the makers the device was given, and only checked work reaches
// the backend, through the hooks below. A test on the recording backend
// therefore refuses what the OpenGL backend refuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/gfx/core/device_rules.h"
#include "platform/gfx/core/device_services.h"
#include "platform/gfx/core/texture_file.h"

namespace gfx {

class DeclarationObject;

class DeviceFront : public Device {
public:
    HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                               VertexBuffer** buffer, void* sharedHandle) override;
    HRESULT CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                              IndexBuffer** buffer, void* sharedHandle) override;
    HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                    VertexDeclaration** declaration) override;
    HRESULT CreateTextureFromFile(const char* path, Texture** texture) override;
    HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                          Format format, Pool pool, Texture** texture) override;
    HRESULT CreateCubeTextureFromFile(const char* path, CubeTexture** texture) override;
    HRESULT CreateCubeTextureFromPrepared(const char* path, const TextureFile& file,
                                          const TextureSupport& support,
                                          CubeTexture** texture) override;
    HRESULT CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                 Buffer** errors) override;
    HRESULT CreateFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                       int32_t italic, uint32_t charSet, uint32_t outputPrecision, uint32_t quality,
                       uint32_t pitchAndFamily, const char* faceName, Font** font) override;

    HRESULT SetRenderState(RenderState state, uint32_t value) override;
    HRESULT GetRenderState(RenderState state, uint32_t* value) override;
    HRESULT SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) override;
    HRESULT GetSamplerState(uint32_t sampler, SamplerState type, uint32_t* value) override;
    HRESULT LightEnable(uint32_t index, int32_t enable) override;
    HRESULT SetViewport(const Viewport* viewport) override;
    HRESULT GetViewport(Viewport* viewport) override;
    HRESULT SetScissorRect(const Rect* rect) override;
    HRESULT GetScissorRect(Rect* rect) override;
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
    HRESULT DrawPrimitive(PrimitiveType type, uint32_t startVertex,
                          uint32_t primitiveCount) override;
    HRESULT DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                 uint32_t minVertexIndex, uint32_t numVertices, uint32_t startIndex,
                                 uint32_t primitiveCount) override;

    HRESULT GetBackBufferPixels(uint32_t* width, uint32_t* height,
                                std::vector<uint8_t>* rgba) override;
    uint32_t GetLiveObjectCount() const override { return liveObjects_; }
    HRESULT SetPresentInterval(uint32_t interval) override;
    HRESULT ResizeBackBuffer(uint32_t width, uint32_t height) override;

    // What the device's effects and fonts draw with.
    virtual DeviceServices& Services() = 0;

    uint32_t BackBufferWidth() const { return width_; }
    uint32_t BackBufferHeight() const { return height_; }
    // True once the device's last reference is gone; its children then refuse work.
    bool Released() const { return IsReleased(); }
    // Children count themselves in and out (DeviceChild).
    void ChildCreated() { ++liveObjects_; }
    void ChildReleased() { --liveObjects_; }

protected:
    DeviceFront(uint32_t backBufferWidth, uint32_t backBufferHeight, bool depthBuffer,
                const EffectAndFontMakers& makers, const TextureSupport& textures = {});
    ~DeviceFront() override;
    // Lets go of what is bound and reports children still alive.
    void OnLastRelease() override;

    // --- the backend's part of a checked call ---
    virtual HRESULT MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) = 0;
    virtual HRESULT MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) = 0;
    virtual HRESULT MakeVertexDeclaration(std::vector<VertexElement> table,
                                          std::vector<rules::ElementLayout> layout,
                                          VertexDeclaration** declaration) = 0;
    // A texture of a file the front has read and checked.
    virtual HRESULT MakeTexture(const TextureFile& file, Texture** texture) = 0;
    virtual HRESULT MakeCubeTexture(const TextureFile& file, CubeTexture** texture) = 0;
    // A texture made in memory (TextureObject's memory constructor): levels
    // already counted, format A8R8G8B8 or X8R8G8B8.
    virtual HRESULT MakeMemoryTexture(uint32_t width, uint32_t height, uint32_t levels,
                                      Format format, Texture** texture) = 0;
    // Fills rgba with the back buffer's rows, top down.
    virtual HRESULT ReadBackBuffer(std::vector<uint8_t>* /*rgba*/) { return D3DERR_NOTAVAILABLE; }
    // Some state is about to change: work made under the old state goes first.
    virtual void BeforeChange() {}
    // A sampler's filters changed (after BeforeChange).
    virtual void SamplerChanged(uint32_t /*sampler*/) {}
    // The declaration or a stream binding changed (after BeforeChange).
    virtual void InputChanged() {}
    virtual void ClearTargets(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color,
                              float z, uint32_t stencil) = 0;
    virtual void SceneEnded() {}
    virtual void PresentFrame() = 0;
    // Present waits for the display's refresh from now on (or stops waiting).
    virtual void WaitForRefresh(bool /*wait*/) {}
    // The back buffer is to have BackBufferWidth × BackBufferHeight pixels
    // now (after BeforeChange).
    virtual void BackBufferResized() {}
    // Draws vertexCount vertices from startVertex, all inside the bound
    // streams: one DrawPrimitive, or a run of list draws the front merged.
    virtual void DrawVertices(PrimitiveType type, uint32_t startVertex, uint32_t vertexCount) = 0;
    // Draws indexCount indices from startIndex, all inside the bound index
    // buffer, the vertices they reach inside the bound streams.
    virtual void DrawIndexed(PrimitiveType type, int32_t baseVertexIndex, uint32_t startIndex,
                             uint32_t indexCount) = 0;

    // Sends the run of draws the front holds back (DrawPrimitive) to
    // DrawVertices: for backends that are about to change what a draw reads
    // behind the front (a buffer's contents, a program, a texture's texels).
    void SendHeldDraws() {
        if (held_.next == HeldRun::kNothing) return;
        const HeldRun run = held_;
        held_.next = HeldRun::kNothing;
        DrawVertices(run.type, run.first, uint32_t(run.next - run.first));
    }
    // Whether DrawPrimitive merges runs of list draws (on unless turned off;
    // turning it off sends the run held).
    void SetDrawMerging(bool merge) {
        SendHeldDraws();
        mergeDraws_ = merge;
    }

    // --- the state a backend draws with ---
    uint32_t StateValue(RenderState state) const {
        return renderStates_[rules::RenderStateIndex(state)];
    }
    uint32_t SamplerValue(uint32_t sampler, SamplerState type) const {
        return samplers_[sampler][rules::SamplerStateIndex(type)];
    }
    const Viewport& CurrentViewport() const { return viewport_; }
    const Rect& CurrentScissor() const { return scissor_; }
    struct StreamBinding {
        Ref<VertexBuffer> buffer;  // held while bound
        uint32_t offset = 0;
        uint32_t stride = 0;
        uint32_t length = 0;  // the buffer's, which never changes
    };
    const StreamBinding& Stream(uint32_t stream) const { return streams_[stream]; }
    DeclarationObject* BoundDeclaration() const { return declaration_.get(); }
    IndexBuffer* BoundIndices() const { return indices_.get(); }

private:
    // Whether the bound streams hold vertices first..last of the declaration.
    // A model draws each triangle on its own: once the bound streams were
    // found to hold vertices up to some index, a draw below it needs no
    // second look until the declaration or a stream changes.
    bool StreamsCover(const char* call, int64_t first, int64_t last) const {
        if (first >= 0 && first <= last && last <= coveredUpTo_) return true;
        return CheckStreams(call, first, last);
    }
    // DrawPrimitive's checked path, kept out of line so that the call that
    // only lengthens the held run does no more than its compares.
    [[gnu::noinline]] HRESULT DrawChecked(PrimitiveType type, uint32_t startVertex,
                                          uint32_t primitiveCount);
    // The whole check; on success it sets coveredUpTo_.
    bool CheckStreams(const char* call, int64_t first, int64_t last) const;
    // State is about to change: the held run is drawn first, then the backend
    // finishes its own work made under the old state.
    void Changing() {
        SendHeldDraws();
        BeforeChange();
    }
    uint32_t width_;
    uint32_t height_;
    EffectAndFontMakers makers_;
    TextureSupport textures_;
    uint32_t liveObjects_ = 0;
    bool inScene_ = false;
    uint32_t renderStates_[rules::kRenderStateCount];
    uint32_t samplers_[rules::kSamplerCount][rules::kSamplerStateCount];
    Viewport viewport_;
    Rect scissor_;
    Ref<DeclarationObject> declaration_;
    StreamBinding streams_[rules::kStreamCount];
    // The last vertex the bound streams were found to hold; -1 until a draw
    // checks them after a change (StreamsCover).
    mutable int64_t coveredUpTo_ = -1;
    Ref<IndexBuffer> indices_;
    // Draws of a list type are held back as one run: a DrawPrimitive that
    // continues it (same type, its next vertex, inside coveredUpTo_) only
    // lengthens it. Nothing the full checks read can change while a run is
    // held, since every change sends the run first (Changing), so such a call
    // costs a few compares.
    struct HeldRun {
        // next when nothing is held: no 32-bit start vertex equals it.
        static constexpr uint64_t kNothing = UINT64_MAX;
        PrimitiveType type = D3DPT_TRIANGLELIST;
        uint32_t first = 0;
        uint64_t next = kNothing;   // one past the run's last vertex
        uint64_t limit = 0;         // the furthest next may go
        uint32_t perPrimitive = 0;  // vertices of one primitive of type
    } held_;
    bool mergeDraws_ = true;
};

// Devices whose last reference went while objects created on them lived,
// since the process started (all backends).
uint32_t GetDevicesReleasedWithLiveObjects();

class Direct3DFront : public Direct3D {
public:
    explicit Direct3DFront(const EffectAndFontMakers& makers = {}) : makers_(makers) {}
    HRESULT GetDeviceCaps(uint32_t adapter, DeviceType type, Caps* caps) override;
    // Windowed devices on the default adapter, back buffer X8R8G8B8 or
    // A8R8G8B8 (or unknown: the desktop's), depth D24S8 when asked for.
    HRESULT CreateDevice(uint32_t adapter, DeviceType type, HWND focusWindow,
                         uint32_t behaviorFlags, PresentParameters* parameters,
                         Device** device) override;
    const char* GetCreationFailure() const override { return creationFailure_.c_str(); }

protected:
    // The device for checked parameters, on parameters->deviceWindow or else
    // window; fills what parameters leave to the device (sizes, format).
    virtual HRESULT MakeDevice(HWND window, PresentParameters* parameters, Device** device) = 0;
    // What the devices make their effects and fonts with.
    const EffectAndFontMakers& Makers() const { return makers_; }
    // No device can be had here: logs why, keeps it for GetCreationFailure
    // and returns D3DERR_NOTAVAILABLE.
    HRESULT NotAvailable(const std::string& why);
    void SetCreationFailure(const std::string& why) { creationFailure_ = why; }

private:
    EffectAndFontMakers makers_;
    std::string creationFailure_;
};

}  // namespace gfx
