#include "platform/gfx/recording/recorder.h"

#include <cstdio>
#include <map>
#include <utility>

#include "platform/files.h"
#include "platform/gfx/core/device_objects.h"
#include "platform/gfx/core/text_buffer.h"
#include "platform/gfx/null/null_services.h"

namespace gfx::recording {

namespace {

Recorder theRecorder;

// The back buffer of a device made without a size (or without a window).
constexpr uint32_t kDefaultWidth = 800;
constexpr uint32_t kDefaultHeight = 600;

void Log(const char* name, uint32_t object, std::vector<double> args = {}, std::string text = {}) {
    theRecorder.calls.push_back(Call{name, object, std::move(args), std::move(text)});
}

// The id and kind every recording object is logged under.
class Identity {
public:
    explicit Identity(const char* kind) : id_(theRecorder.nextId++), kind_(kind) {}
    virtual ~Identity() = default;
    uint32_t id() const { return id_; }
    const char* kind() const { return kind_; }

private:
    uint32_t id_;
    const char* kind_;
};

// A recording object: the front's or a child's behaviour, its releases logged.
template <typename Base>
class Recorded : public Base, public Identity {
public:
    template <typename... Arguments>
    explicit Recorded(const char* kind, Arguments&&... arguments)
        : Base(std::forward<Arguments>(arguments)...), Identity(kind) {}

protected:
    void OnRelease(uint32_t left) override { Log("Release", id(), {double(left)}, kind()); }
};

bool FileOpens(const char* path) {
    FILE* file = OpenFile(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// A vertex or index buffer (Base: VertexBufferObject or IndexBufferObject)
// with a processor copy of its contents; the front keeps its locks and checks.
template <typename Base>
class RecordingBuffer final : public Recorded<Base> {
public:
    using Recorded<Base>::Recorded;
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
        Log("Lock", this->id(), {double(offset), double(size), double(flags)});
        if (theRecorder.IsFailing("Lock")) {
            if (data) *data = nullptr;
            return E_FAIL;
        }
        return Base::Lock(offset, size, data, flags);
    }
    HRESULT Unlock() override {
        Log("Unlock", this->id());
        return Base::Unlock();
    }
};

// A texture of a file or made in memory; its locks are logged.
class RecordingTexture final : public Recorded<TextureObject> {
public:
    using Recorded<TextureObject>::Recorded;
    HRESULT LockRect(uint32_t level, LockedRect* locked, const Rect* rect,
                     uint32_t flags) override {
        std::vector<double> args = {double(level), double(rect != nullptr)};
        if (rect)
            args.insert(args.end(), {double(rect->left), double(rect->top), double(rect->right),
                                     double(rect->bottom)});
        Log("LockRect", id(), std::move(args));
        if (theRecorder.IsFailing("LockRect")) {
            if (locked) *locked = LockedRect{};
            return E_FAIL;
        }
        return TextureObject::LockRect(level, locked, rect, flags);
    }
    HRESULT UnlockRect(uint32_t level) override {
        Log("UnlockRect", id(), {double(level)});
        return TextureObject::UnlockRect(level);
    }
};

class RecordingEffect final : public Recorded<DeviceChild<Effect>> {
public:
    using Recorded<DeviceChild<Effect>>::Recorded;
    EffectHandle GetTechniqueByName(const char* name) override {
        Log("GetTechniqueByName", id(), {}, name ? name : "");
        if (!name) return nullptr;
        // The handle must outlive the caller's string: keep our own copy.
        auto found = techniques_.find(name);
        if (found == techniques_.end()) found = techniques_.emplace(name, name).first;
        return found->second.c_str();
    }
    HRESULT SetTechnique(EffectHandle technique) override {
        Log("SetTechnique", id(), {}, technique ? technique : "");
        return technique ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT Begin(uint32_t* passes, uint32_t flags) override {
        Log("Begin", id(), {double(flags)});
        if (passes) *passes = theRecorder.effectPassCount;
        return S_OK;
    }
    HRESULT BeginPass(uint32_t pass) override {
        Log("BeginPass", id(), {double(pass)});
        return S_OK;
    }
    HRESULT EndPass() override {
        Log("EndPass", id());
        return S_OK;
    }
    HRESULT End() override {
        Log("End", id());
        return S_OK;
    }
    HRESULT SetMatrix(EffectHandle parameter, const Matrix4* value) override {
        std::vector<double> args;
        if (value)
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) args.push_back(value->m[r][c]);
        Log("SetMatrix", id(), std::move(args), parameter ? parameter : "");
        return value ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT SetVector(EffectHandle parameter, const Vector4* value) override {
        std::vector<double> args;
        if (value) args = {value->x, value->y, value->z, value->w};
        Log("SetVector", id(), std::move(args), parameter ? parameter : "");
        return value ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT SetFloat(EffectHandle parameter, float value) override {
        Log("SetFloat", id(), {value}, parameter ? parameter : "");
        return S_OK;
    }
    HRESULT SetTexture(EffectHandle parameter, BaseTexture* value) override {
        Log("SetTexture", id(), {double(IdOf(value))}, parameter ? parameter : "");
        return S_OK;
    }

private:
    std::map<std::string, std::string> techniques_;
};

class RecordingFont final : public Recorded<DeviceChild<Font>> {
public:
    using Recorded<DeviceChild<Font>>::Recorded;
    int DrawTextA(void* sprite, const char* text, int count, Rect* rect, uint32_t format,
                  uint32_t color) override {
        std::string drawn;
        if (text) drawn = count < 0 ? std::string(text) : std::string(text, size_t(count));
        std::vector<double> args = {double(sprite != nullptr), double(count)};
        if (rect) {
            args.insert(args.end(), {double(rect->left), double(rect->top), double(rect->right),
                                     double(rect->bottom)});
        } else {
            args.insert(args.end(), {0, 0, 0, 0});
        }
        args.insert(args.end(), {double(format), double(color)});
        Log("DrawTextA", id(), std::move(args), drawn);
        return text ? 20 : 0;
    }
};

// An effect "loads" when its file opens.
HRESULT MakeEffect(DeviceFront& device, const char* path, uint32_t /*flags*/, Effect** effect,
                   Buffer** errors) {
    if (!FileOpens(path)) {
        if (errors)
            *errors = CreateTextBuffer(std::string("cannot open effect file \"") +
                                       (path ? path : "") + "\"");
        return E_FAIL;
    }
    *effect = new RecordingEffect("Effect", device);
    return S_OK;
}

HRESULT MakeFont(DeviceFront& device, int32_t, uint32_t, uint32_t, int32_t, const char*,
                 Font** font) {
    *font = new RecordingFont("Font", device);
    return S_OK;
}

// Every call is logged first; the front then checks it as it checks the
// OpenGL device's, and the hooks make recording objects.
class RecordingDevice final : public Recorded<DeviceFront> {
public:
    RecordingDevice(uint32_t width, uint32_t height, bool depth)
        : Recorded<DeviceFront>("Device", width, height, depth,
                                EffectAndFontMakers{&MakeEffect, &MakeFont}) {}
    DeviceServices& Services() override { return services_; }

    HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                               VertexBuffer** buffer, void* sharedHandle) override {
        Log("CreateVertexBuffer", id(),
            {double(length), double(usage), double(fvf), double(pool),
             double(sharedHandle != nullptr)});
        if (buffer && theRecorder.IsFailing("CreateVertexBuffer"))
            return Fail(buffer, D3DERR_INVALIDCALL);
        return DeviceFront::CreateVertexBuffer(length, usage, fvf, pool, buffer, sharedHandle);
    }
    HRESULT CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                              IndexBuffer** buffer, void* sharedHandle) override {
        Log("CreateIndexBuffer", id(),
            {double(length), double(usage), double(format), double(pool),
             double(sharedHandle != nullptr)});
        if (buffer && theRecorder.IsFailing("CreateIndexBuffer"))
            return Fail(buffer, D3DERR_INVALIDCALL);
        return DeviceFront::CreateIndexBuffer(length, usage, format, pool, buffer, sharedHandle);
    }
    HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                    VertexDeclaration** declaration) override {
        std::vector<double> args;
        for (uint32_t i = 0; elements && i < rules::kMaxDeclarationElements; ++i) {
            const VertexElement& e = elements[i];
            if (e.stream == D3DDECL_END.stream) break;
            args.insert(args.end(), {double(e.stream), double(e.offset), double(e.type),
                                     double(e.method), double(e.usage), double(e.usageIndex)});
        }
        Log("CreateVertexDeclaration", id(), args);
        if (declaration && theRecorder.IsFailing("CreateVertexDeclaration"))
            return Fail(declaration, D3DERR_INVALIDCALL);
        return DeviceFront::CreateVertexDeclaration(elements, declaration);
    }
    HRESULT CreateTextureFromFile(const char* path, Texture** texture) override {
        Log("CreateTextureFromFile", id(), {}, path ? path : "");
        if (texture && theRecorder.IsFailing("CreateTextureFromFile")) return Fail(texture, E_FAIL);
        return DeviceFront::CreateTextureFromFile(path, texture);
    }
    HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                          Format format, Pool pool, Texture** texture) override {
        Log("CreateTexture", id(),
            {double(width), double(height), double(levels), double(usage), double(format),
             double(pool)});
        if (texture && theRecorder.IsFailing("CreateTexture")) return Fail(texture, E_FAIL);
        return DeviceFront::CreateTexture(width, height, levels, usage, format, pool, texture);
    }
    HRESULT CreateCubeTextureFromFile(const char* path, CubeTexture** texture) override {
        Log("CreateCubeTextureFromFile", id(), {}, path ? path : "");
        if (texture && theRecorder.IsFailing("CreateCubeTextureFromFile"))
            return Fail(texture, E_FAIL);
        return DeviceFront::CreateCubeTextureFromFile(path, texture);
    }
    HRESULT CreateCubeTextureFromPrepared(const char* path, const TextureFile& file,
                                          const TextureSupport& support,
                                          CubeTexture** texture) override {
        Log("CreateCubeTextureFromPrepared", id(), {}, path ? path : "");
        if (texture && theRecorder.IsFailing("CreateCubeTextureFromPrepared"))
            return Fail(texture, E_FAIL);
        return DeviceFront::CreateCubeTextureFromPrepared(path, file, support, texture);
    }
    HRESULT CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                 Buffer** errors) override {
        Log("CreateEffectFromFile", id(), {double(flags)}, path ? path : "");
        if (effect && theRecorder.IsFailing("CreateEffectFromFile")) {
            if (errors) *errors = CreateTextBuffer(theRecorder.effectErrorText);
            return Fail(effect, E_FAIL);
        }
        return DeviceFront::CreateEffectFromFile(path, flags, effect, errors);
    }
    HRESULT CreateFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                       int32_t italic, uint32_t charSet, uint32_t outputPrecision, uint32_t quality,
                       uint32_t pitchAndFamily, const char* faceName, Font** font) override {
        Log("CreateFont", id(),
            {double(height), double(width), double(weight), double(mipLevels), double(italic),
             double(charSet), double(outputPrecision), double(quality), double(pitchAndFamily)},
            faceName ? faceName : "");
        if (font && theRecorder.IsFailing("CreateFont")) return Fail(font, E_FAIL);
        return DeviceFront::CreateFont(height, width, weight, mipLevels, italic, charSet,
                                       outputPrecision, quality, pitchAndFamily, faceName, font);
    }

    HRESULT SetRenderState(RenderState state, uint32_t value) override {
        Log("SetRenderState", id(), {double(state), double(value)});
        return DeviceFront::SetRenderState(state, value);
    }
    HRESULT SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) override {
        Log("SetSamplerState", id(), {double(sampler), double(type), double(value)});
        return DeviceFront::SetSamplerState(sampler, type, value);
    }
    HRESULT LightEnable(uint32_t index, int32_t enable) override {
        Log("LightEnable", id(), {double(index), double(enable)});
        return DeviceFront::LightEnable(index, enable);
    }
    HRESULT SetScissorRect(const Rect* rect) override {
        if (rect)
            Log("SetScissorRect", id(),
                {double(rect->left), double(rect->top), double(rect->right), double(rect->bottom)});
        return DeviceFront::SetScissorRect(rect);
    }
    HRESULT SetViewport(const Viewport* viewport) override {
        if (viewport)
            Log("SetViewport", id(),
                {double(viewport->x), double(viewport->y), double(viewport->width),
                 double(viewport->height), viewport->minZ, viewport->maxZ});
        return DeviceFront::SetViewport(viewport);
    }
    HRESULT SetVertexDeclaration(VertexDeclaration* declaration) override {
        Log("SetVertexDeclaration", id(), {double(IdOf(declaration))});
        return DeviceFront::SetVertexDeclaration(declaration);
    }
    HRESULT SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                            uint32_t stride) override {
        Log("SetStreamSource", id(),
            {double(stream), double(IdOf(buffer)), double(offset), double(stride)});
        return DeviceFront::SetStreamSource(stream, buffer, offset, stride);
    }
    HRESULT SetIndices(IndexBuffer* buffer) override {
        Log("SetIndices", id(), {double(IdOf(buffer))});
        return DeviceFront::SetIndices(buffer);
    }
    HRESULT Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override {
        Log("Clear", id(),
            {double(count), double(rects != nullptr), double(flags), double(color), z,
             double(stencil)});
        return DeviceFront::Clear(count, rects, flags, color, z, stencil);
    }
    HRESULT BeginScene() override {
        Log("BeginScene", id());
        if (theRecorder.IsFailing("BeginScene")) return E_FAIL;
        return DeviceFront::BeginScene();
    }
    HRESULT EndScene() override {
        Log("EndScene", id());
        return DeviceFront::EndScene();
    }
    // A device that draws no pixels: D3DERR_NOTAVAILABLE.
    HRESULT GetBackBufferPixels(uint32_t* width, uint32_t* height,
                                std::vector<uint8_t>* rgba) override {
        Log("GetBackBufferPixels", id());
        return DeviceFront::GetBackBufferPixels(width, height, rgba);
    }
    HRESULT ResizeBackBuffer(uint32_t width, uint32_t height) override {
        Log("ResizeBackBuffer", id(), {double(width), double(height)});
        return DeviceFront::ResizeBackBuffer(width, height);
    }
    HRESULT SetPresentInterval(uint32_t interval) override {
        Log("SetPresentInterval", id(), {double(interval)});
        return DeviceFront::SetPresentInterval(interval);
    }
    HRESULT Present(const Rect* sourceRect, const Rect* destRect, HWND overrideWindow,
                    const void* dirtyRegion) override {
        Log("Present", id(),
            {double(sourceRect != nullptr), double(destRect != nullptr),
             double(overrideWindow != nullptr), double(dirtyRegion != nullptr)});
        return DeviceFront::Present(sourceRect, destRect, overrideWindow, dirtyRegion);
    }
    HRESULT DrawPrimitive(PrimitiveType type, uint32_t startVertex,
                          uint32_t primitiveCount) override {
        Log("DrawPrimitive", id(), {double(type), double(startVertex), double(primitiveCount)});
        return DeviceFront::DrawPrimitive(type, startVertex, primitiveCount);
    }
    HRESULT DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                 uint32_t minVertexIndex, uint32_t numVertices, uint32_t startIndex,
                                 uint32_t primitiveCount) override {
        Log("DrawIndexedPrimitive", id(),
            {double(type), double(baseVertexIndex), double(minVertexIndex), double(numVertices),
             double(startIndex), double(primitiveCount)});
        return DeviceFront::DrawIndexedPrimitive(type, baseVertexIndex, minVertexIndex, numVertices,
                                                 startIndex, primitiveCount);
    }

protected:
    void OnLastRelease() override {
        uint32_t before = GetDevicesReleasedWithLiveObjects();
        DeviceFront::OnLastRelease();
        theRecorder.devicesReleasedWithLiveObjects +=
            int(GetDevicesReleasedWithLiveObjects() - before);
    }

    HRESULT MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) override {
        *buffer = new RecordingBuffer<VertexBufferObject>("VertexBuffer", *this, length, true);
        return S_OK;
    }
    HRESULT MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) override {
        *buffer =
            new RecordingBuffer<IndexBufferObject>("IndexBuffer", *this, length, format, true);
        return S_OK;
    }
    HRESULT MakeVertexDeclaration(std::vector<VertexElement> table,
                                  std::vector<rules::ElementLayout> layout,
                                  VertexDeclaration** declaration) override {
        *declaration = new Recorded<DeclarationObject>("VertexDeclaration", *this, std::move(table),
                                                       std::move(layout));
        return S_OK;
    }
    HRESULT MakeTexture(const TextureFile& file, Texture** texture) override {
        *texture = new RecordingTexture("Texture", *this, file);
        return S_OK;
    }
    HRESULT MakeMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, Format /*format*/,
                              Texture** texture) override {
        *texture = new RecordingTexture("Texture", *this, width, height, levels);
        return S_OK;
    }
    HRESULT MakeCubeTexture(const TextureFile& file, CubeTexture** texture) override {
        *texture = new Recorded<CubeTextureObject>("CubeTexture", *this, file);
        return S_OK;
    }
    void ClearTargets(uint32_t, const Rect*, uint32_t, uint32_t, float, uint32_t) override {}
    void PresentFrame() override {}
    void DrawVertices(PrimitiveType, uint32_t, uint32_t) override {}
    void DrawIndexed(PrimitiveType, int32_t, uint32_t, uint32_t) override {}

private:
    null::NullServices services_;
    template <typename T>
    static HRESULT Fail(T** output, HRESULT result) {
        *output = nullptr;
        return result;
    }
};

class RecordingDirect3D final : public Recorded<Direct3DFront> {
public:
    RecordingDirect3D() : Recorded<Direct3DFront>("Direct3D") {}

    HRESULT GetDeviceCaps(uint32_t adapter, DeviceType type, Caps* caps) override {
        Log("GetDeviceCaps", id(), {double(adapter), double(type)});
        HRESULT result = Direct3DFront::GetDeviceCaps(adapter, type, caps);
        if (Succeeded(result)) caps->devCaps = theRecorder.devCaps;
        return result;
    }
    HRESULT CreateDevice(uint32_t adapter, DeviceType type, HWND focusWindow,
                         uint32_t behaviorFlags, PresentParameters* p, Device** device) override {
        std::vector<double> args = {double(adapter), double(type), double(focusWindow != nullptr),
                                    double(behaviorFlags)};
        if (p) {
            args.insert(args.end(),
                        {double(p->backBufferWidth), double(p->backBufferHeight),
                         double(p->backBufferFormat), double(p->backBufferCount),
                         double(p->multiSampleType), double(p->multiSampleQuality),
                         double(p->swapEffect), double(p->deviceWindow != nullptr),
                         double(p->windowed), double(p->enableAutoDepthStencil),
                         double(p->autoDepthStencilFormat), double(p->flags),
                         double(p->fullScreenRefreshRateInHz), double(p->presentationInterval)});
        }
        Log("CreateDevice", id(), std::move(args));
        if (device && p && theRecorder.IsFailing("CreateDevice")) {
            *device = nullptr;
            SetCreationFailure(theRecorder.creationFailure);
            return D3DERR_NOTAVAILABLE;
        }
        return Direct3DFront::CreateDevice(adapter, type, focusWindow, behaviorFlags, p, device);
    }

protected:
    // No window is needed: the back buffer is the size asked for, 800 × 600 if none.
    HRESULT MakeDevice(HWND /*window*/, PresentParameters* p, Device** device) override {
        if (p->backBufferWidth == 0) p->backBufferWidth = kDefaultWidth;
        if (p->backBufferHeight == 0) p->backBufferHeight = kDefaultHeight;
        *device = new RecordingDevice(p->backBufferWidth, p->backBufferHeight,
                                      p->enableAutoDepthStencil != 0);
        return S_OK;
    }
};

}  // namespace

void Recorder::Reset() { *this = Recorder{}; }

std::vector<std::string> Recorder::Names() const {
    std::vector<std::string> names;
    names.reserve(calls.size());
    for (const Call& call : calls) names.push_back(call.name);
    return names;
}

std::vector<Call> Recorder::Named(const std::string& name) const {
    std::vector<Call> found;
    for (const Call& call : calls)
        if (call.name == name) found.push_back(call);
    return found;
}

int Recorder::Find(const std::string& name, size_t start) const {
    for (size_t i = start; i < calls.size(); ++i)
        if (calls[i].name == name) return static_cast<int>(i);
    return -1;
}

Recorder& GetRecorder() { return theRecorder; }

Direct3D* CreateDirect3D(uint32_t sdkVersion) {
    Log("Direct3DCreate9", 0, {double(sdkVersion)});
    if (sdkVersion != D3D_SDK_VERSION || theRecorder.IsFailing("Direct3DCreate9")) return nullptr;
    return new RecordingDirect3D();
}

Device* CreateDevice() { return new RecordingDevice(kDefaultWidth, kDefaultHeight, true); }

uint32_t IdOf(const Unknown* object) {
    auto recorded = dynamic_cast<const Identity*>(object);
    return recorded ? recorded->id() : 0;
}

const std::vector<uint8_t>& ContentsOf(const Unknown* buffer) {
    static const std::vector<uint8_t> empty;
    if (auto vertices = dynamic_cast<const VertexBufferObject*>(buffer)) return vertices->Bytes();
    if (auto indices = dynamic_cast<const IndexBufferObject*>(buffer)) return indices->Bytes();
    return empty;
}

}  // namespace gfx::recording
