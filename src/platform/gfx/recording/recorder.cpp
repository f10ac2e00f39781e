#include "platform/gfx/recording/recorder.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "platform/files.h"
#include "platform/gfx/core/text_buffer.h"

namespace gfx::recording {

namespace {

Recorder theRecorder;

void Log(const char* name, uint32_t object, std::vector<double> args = {},
         std::string text = {}) {
    theRecorder.calls.push_back(Call{name, object, std::move(args), std::move(text)});
}

// Identity and reference count shared by every recording object.
class RecordedObject {
public:
    RecordedObject(const char* kind) : id_(theRecorder.nextId++), kind_(kind) {}
    virtual ~RecordedObject() = default;
    uint32_t id() const { return id_; }
    const char* kind() const { return kind_; }

protected:
    uint32_t id_;
    const char* kind_;
    uint32_t references_ = 1;
};

// What a device's children need after the device itself may be gone.
struct DeviceState {
    uint32_t liveObjects = 0;
};

// Base of everything created on a device: counts itself among the device's live objects.
class DeviceChild : public RecordedObject {
public:
    DeviceChild(const char* kind, std::shared_ptr<DeviceState> device)
        : RecordedObject(kind), device_(std::move(device)) {
        ++device_->liveObjects;
    }
    ~DeviceChild() override { --device_->liveObjects; }

private:
    std::shared_ptr<DeviceState> device_;
};

// AddRef/Release for a recording class; Release is logged with the references left.
#define RECORDING_REFCOUNT                                           \
    uint32_t AddRef() override { return ++references_; }             \
    uint32_t Release() override {                                    \
        uint32_t left = --references_;                               \
        Log("Release", id_, {static_cast<double>(left)}, kind_);     \
        if (left == 0) delete this;                                  \
        return left;                                                 \
    }

bool FileOpens(const char* path) {
    FILE* file = OpenFile(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

class RecordingVertexBuffer final : public VertexBuffer, public DeviceChild {
public:
    RecordingVertexBuffer(std::shared_ptr<DeviceState> device, uint32_t length)
        : DeviceChild("VertexBuffer", std::move(device)), contents(length) {}
    RECORDING_REFCOUNT
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
        Log("Lock", id_, {double(offset), double(size), double(flags)});
        if (!data) return D3DERR_INVALIDCALL;
        if (theRecorder.IsFailing("Lock") || offset > contents.size()) return E_FAIL;
        *data = contents.data() + offset;
        return S_OK;
    }
    HRESULT Unlock() override {
        Log("Unlock", id_);
        return S_OK;
    }
    uint32_t GetLength() const override { return static_cast<uint32_t>(contents.size()); }
    std::vector<uint8_t> contents;
};

class RecordingIndexBuffer final : public IndexBuffer, public DeviceChild {
public:
    RecordingIndexBuffer(std::shared_ptr<DeviceState> device, uint32_t length, Format format)
        : DeviceChild("IndexBuffer", std::move(device)), contents(length), format_(format) {}
    RECORDING_REFCOUNT
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
        Log("Lock", id_, {double(offset), double(size), double(flags)});
        if (!data) return D3DERR_INVALIDCALL;
        if (theRecorder.IsFailing("Lock") || offset > contents.size()) return E_FAIL;
        *data = contents.data() + offset;
        return S_OK;
    }
    HRESULT Unlock() override {
        Log("Unlock", id_);
        return S_OK;
    }
    uint32_t GetLength() const override { return static_cast<uint32_t>(contents.size()); }
    Format GetFormat() const override { return format_; }
    std::vector<uint8_t> contents;

private:
    Format format_;
};

class RecordingDeclaration final : public VertexDeclaration, public DeviceChild {
public:
    RecordingDeclaration(std::shared_ptr<DeviceState> device, std::vector<VertexElement> elements)
        : DeviceChild("VertexDeclaration", std::move(device)), elements_(std::move(elements)) {}
    RECORDING_REFCOUNT
    const VertexElement* GetElements(uint32_t* count) const override {
        if (count) *count = static_cast<uint32_t>(elements_.size());
        return elements_.data();
    }

private:
    std::vector<VertexElement> elements_;
};

class RecordingTexture final : public Texture, public DeviceChild {
public:
    explicit RecordingTexture(std::shared_ptr<DeviceState> device)
        : DeviceChild("Texture", std::move(device)) {}
    RECORDING_REFCOUNT
    ResourceType GetType() const override { return ResourceType::Texture; }
    uint32_t GetLevelCount() const override { return 1; }
    uint32_t GetWidth(uint32_t) const override { return 1; }
    uint32_t GetHeight(uint32_t) const override { return 1; }
};

class RecordingCubeTexture final : public CubeTexture, public DeviceChild {
public:
    explicit RecordingCubeTexture(std::shared_ptr<DeviceState> device)
        : DeviceChild("CubeTexture", std::move(device)) {}
    RECORDING_REFCOUNT
    ResourceType GetType() const override { return ResourceType::CubeTexture; }
    uint32_t GetLevelCount() const override { return 1; }
    uint32_t GetEdgeLength(uint32_t) const override { return 1; }
};

class RecordingEffect final : public Effect, public DeviceChild {
public:
    explicit RecordingEffect(std::shared_ptr<DeviceState> device)
        : DeviceChild("Effect", std::move(device)) {}
    RECORDING_REFCOUNT
    EffectHandle GetTechniqueByName(const char* name) override {
        Log("GetTechniqueByName", id_, {}, name ? name : "");
        if (!name) return nullptr;
        // The handle must outlive the caller's string: keep our own copy.
        auto found = techniques_.find(name);
        if (found == techniques_.end()) found = techniques_.emplace(name, name).first;
        return found->second.c_str();
    }
    HRESULT SetTechnique(EffectHandle technique) override {
        Log("SetTechnique", id_, {}, technique ? technique : "");
        return technique ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT Begin(uint32_t* passes, uint32_t flags) override {
        Log("Begin", id_, {double(flags)});
        if (passes) *passes = theRecorder.effectPassCount;
        return S_OK;
    }
    HRESULT BeginPass(uint32_t pass) override {
        Log("BeginPass", id_, {double(pass)});
        return S_OK;
    }
    HRESULT EndPass() override {
        Log("EndPass", id_);
        return S_OK;
    }
    HRESULT End() override {
        Log("End", id_);
        return S_OK;
    }
    HRESULT SetMatrix(EffectHandle parameter, const Matrix4* value) override {
        std::vector<double> args;
        if (value)
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) args.push_back(value->m[r][c]);
        Log("SetMatrix", id_, std::move(args), parameter ? parameter : "");
        return value ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT SetVector(EffectHandle parameter, const Vector4* value) override {
        std::vector<double> args;
        if (value) args = {value->x, value->y, value->z, value->w};
        Log("SetVector", id_, std::move(args), parameter ? parameter : "");
        return value ? S_OK : D3DERR_INVALIDCALL;
    }
    HRESULT SetFloat(EffectHandle parameter, float value) override {
        Log("SetFloat", id_, {value}, parameter ? parameter : "");
        return S_OK;
    }
    HRESULT SetTexture(EffectHandle parameter, BaseTexture* value) override {
        Log("SetTexture", id_, {double(IdOf(value))}, parameter ? parameter : "");
        return S_OK;
    }

private:
    std::map<std::string, std::string> techniques_;
};

class RecordingFont final : public Font, public DeviceChild {
public:
    explicit RecordingFont(std::shared_ptr<DeviceState> device)
        : DeviceChild("Font", std::move(device)) {}
    RECORDING_REFCOUNT
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
        Log("DrawTextA", id_, std::move(args), drawn);
        return text ? 20 : 0;
    }
};

class RecordingDevice final : public Device, public RecordedObject {
public:
    RecordingDevice() : RecordedObject("Device"), state_(std::make_shared<DeviceState>()) {}
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override {
        uint32_t left = --references_;
        Log("Release", id_, {double(left)}, kind_);
        if (left == 0) {
            if (state_->liveObjects != 0) {
                ++theRecorder.devicesReleasedWithLiveObjects;
                std::fprintf(stderr, "gfx: device released with %u live objects\n",
                             state_->liveObjects);
            }
            delete this;
        }
        return left;
    }

    HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                               VertexBuffer** buffer, void* sharedHandle) override {
        Log("CreateVertexBuffer", id_,
            {double(length), double(usage), double(fvf), double(pool), double(sharedHandle != nullptr)});
        if (!buffer) return D3DERR_INVALIDCALL;
        *buffer = nullptr;
        if (theRecorder.IsFailing("CreateVertexBuffer") || length == 0) return D3DERR_INVALIDCALL;
        *buffer = new RecordingVertexBuffer(state_, length);
        return S_OK;
    }
    HRESULT CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                              IndexBuffer** buffer, void* sharedHandle) override {
        Log("CreateIndexBuffer", id_,
            {double(length), double(usage), double(format), double(pool), double(sharedHandle != nullptr)});
        if (!buffer) return D3DERR_INVALIDCALL;
        *buffer = nullptr;
        if (theRecorder.IsFailing("CreateIndexBuffer") || length == 0) return D3DERR_INVALIDCALL;
        *buffer = new RecordingIndexBuffer(state_, length, format);
        return S_OK;
    }
    HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                    VertexDeclaration** declaration) override {
        std::vector<VertexElement> table;
        std::vector<double> args;
        for (const VertexElement* e = elements; e && table.size() < 64; ++e) {
            table.push_back(*e);
            if (e->stream == 0xFF) break;
            args.insert(args.end(), {double(e->stream), double(e->offset), double(e->type),
                                     double(e->method), double(e->usage), double(e->usageIndex)});
        }
        Log("CreateVertexDeclaration", id_, args);
        if (!declaration) return D3DERR_INVALIDCALL;
        *declaration = nullptr;
        if (theRecorder.IsFailing("CreateVertexDeclaration") || table.empty() ||
            table.back().stream != 0xFF)
            return D3DERR_INVALIDCALL;
        *declaration = new RecordingDeclaration(state_, std::move(table));
        return S_OK;
    }
    HRESULT CreateTextureFromFile(const char* path, Texture** texture) override {
        Log("CreateTextureFromFile", id_, {}, path ? path : "");
        if (!texture) return D3DERR_INVALIDCALL;
        *texture = nullptr;
        if (theRecorder.IsFailing("CreateTextureFromFile") || !FileOpens(path)) return E_FAIL;
        *texture = new RecordingTexture(state_);
        return S_OK;
    }
    HRESULT CreateCubeTextureFromFile(const char* path, CubeTexture** texture) override {
        Log("CreateCubeTextureFromFile", id_, {}, path ? path : "");
        if (!texture) return D3DERR_INVALIDCALL;
        *texture = nullptr;
        if (theRecorder.IsFailing("CreateCubeTextureFromFile") || !FileOpens(path)) return E_FAIL;
        *texture = new RecordingCubeTexture(state_);
        return S_OK;
    }
    HRESULT CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                 Buffer** errors) override {
        Log("CreateEffectFromFile", id_, {double(flags)}, path ? path : "");
        if (!effect) return D3DERR_INVALIDCALL;
        *effect = nullptr;
        if (errors) *errors = nullptr;
        if (theRecorder.IsFailing("CreateEffectFromFile")) {
            if (errors) *errors = CreateTextBuffer(theRecorder.effectErrorText);
            return E_FAIL;
        }
        if (!FileOpens(path)) {
            if (errors)
                *errors = CreateTextBuffer(std::string("cannot open effect file \"") +
                                           (path ? path : "") + "\"");
            return E_FAIL;
        }
        *effect = new RecordingEffect(state_);
        return S_OK;
    }
    HRESULT CreateFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                       int32_t italic, uint32_t charSet, uint32_t outputPrecision,
                       uint32_t quality, uint32_t pitchAndFamily, const char* faceName,
                       Font** font) override {
        Log("CreateFont", id_,
            {double(height), double(width), double(weight), double(mipLevels), double(italic),
             double(charSet), double(outputPrecision), double(quality), double(pitchAndFamily)},
            faceName ? faceName : "");
        if (!font) return D3DERR_INVALIDCALL;
        *font = nullptr;
        if (theRecorder.IsFailing("CreateFont")) return E_FAIL;
        *font = new RecordingFont(state_);
        return S_OK;
    }

    HRESULT SetRenderState(RenderState state, uint32_t value) override {
        Log("SetRenderState", id_, {double(state), double(value)});
        renderStates_[state] = value;
        return S_OK;
    }
    HRESULT GetRenderState(RenderState state, uint32_t* value) override {
        if (!value) return D3DERR_INVALIDCALL;
        auto found = renderStates_.find(state);
        *value = found == renderStates_.end() ? DefaultRenderState(state) : found->second;
        return S_OK;
    }
    HRESULT SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) override {
        Log("SetSamplerState", id_, {double(sampler), double(type), double(value)});
        return S_OK;
    }
    HRESULT LightEnable(uint32_t index, int32_t enable) override {
        Log("LightEnable", id_, {double(index), double(enable)});
        return S_OK;
    }
    HRESULT SetViewport(const Viewport* viewport) override {
        if (!viewport) return D3DERR_INVALIDCALL;
        Log("SetViewport", id_,
            {double(viewport->x), double(viewport->y), double(viewport->width),
             double(viewport->height), viewport->minZ, viewport->maxZ});
        viewport_ = *viewport;
        return S_OK;
    }
    HRESULT GetViewport(Viewport* viewport) override {
        if (!viewport) return D3DERR_INVALIDCALL;
        *viewport = viewport_;
        return S_OK;
    }
    HRESULT SetVertexDeclaration(VertexDeclaration* declaration) override {
        Log("SetVertexDeclaration", id_, {double(IdOf(declaration))});
        return S_OK;
    }
    HRESULT SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                            uint32_t stride) override {
        Log("SetStreamSource", id_, {double(stream), double(IdOf(buffer)), double(offset), double(stride)});
        return S_OK;
    }
    HRESULT SetIndices(IndexBuffer* buffer) override {
        Log("SetIndices", id_, {double(IdOf(buffer))});
        return S_OK;
    }
    HRESULT Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override {
        Log("Clear", id_, {double(count), double(rects != nullptr), double(flags), double(color), z, double(stencil)});
        return S_OK;
    }
    HRESULT BeginScene() override {
        Log("BeginScene", id_);
        return theRecorder.IsFailing("BeginScene") ? E_FAIL : S_OK;
    }
    HRESULT EndScene() override {
        Log("EndScene", id_);
        return S_OK;
    }
    HRESULT Present(const Rect* sourceRect, const Rect* destRect, HWND overrideWindow,
                    const void* dirtyRegion) override {
        Log("Present", id_,
            {double(sourceRect != nullptr), double(destRect != nullptr),
             double(overrideWindow != nullptr), double(dirtyRegion != nullptr)});
        return S_OK;
    }
    HRESULT DrawPrimitive(PrimitiveType type, uint32_t startVertex,
                          uint32_t primitiveCount) override {
        Log("DrawPrimitive", id_, {double(type), double(startVertex), double(primitiveCount)});
        return S_OK;
    }
    HRESULT DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                 uint32_t minVertexIndex, uint32_t numVertices,
                                 uint32_t startIndex, uint32_t primitiveCount) override {
        Log("DrawIndexedPrimitive", id_,
            {double(type), double(baseVertexIndex), double(minVertexIndex), double(numVertices),
             double(startIndex), double(primitiveCount)});
        return S_OK;
    }
    uint32_t GetLiveObjectCount() const override { return state_->liveObjects; }

private:
    static uint32_t DefaultRenderState(RenderState state) {
        switch (state) {
            case D3DRS_ZENABLE: return D3DZB_TRUE;
            case D3DRS_FILLMODE: return D3DFILL_SOLID;
            case D3DRS_ZWRITEENABLE: return 1;
            case D3DRS_CULLMODE: return D3DCULL_CCW;
            case D3DRS_LIGHTING: return 1;
            default: return 0;
        }
    }

    std::shared_ptr<DeviceState> state_;
    std::map<uint32_t, uint32_t> renderStates_;
    Viewport viewport_;
};

class RecordingDirect3D final : public Direct3D, public RecordedObject {
public:
    RecordingDirect3D() : RecordedObject("Direct3D") {}
    RECORDING_REFCOUNT
    HRESULT GetDeviceCaps(uint32_t adapter, DeviceType type, Caps* caps) override {
        Log("GetDeviceCaps", id_, {double(adapter), double(type)});
        if (!caps) return D3DERR_INVALIDCALL;
        *caps = Caps{};
        caps->deviceType = type;
        caps->adapterOrdinal = adapter;
        caps->devCaps = theRecorder.devCaps;
        caps->maxTextureWidth = caps->maxTextureHeight = 8192;
        return S_OK;
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
        Log("CreateDevice", id_, std::move(args));
        if (!device || !p) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (theRecorder.IsFailing("CreateDevice")) return D3DERR_NOTAVAILABLE;
        *device = new RecordingDevice();
        return S_OK;
    }
};

#undef RECORDING_REFCOUNT

}  // namespace

void Recorder::Reset() {
    *this = Recorder{};
}

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

Recorder& GetRecorder() {
    return theRecorder;
}

Direct3D* CreateDirect3D() {
    Log("Direct3DCreate9", 0, {double(D3D_SDK_VERSION)});
    if (theRecorder.IsFailing("Direct3DCreate9")) return nullptr;
    return new RecordingDirect3D();
}

void Install() {
    SetDirect3DFactory([](uint32_t sdkVersion) -> Direct3D* {
        if (sdkVersion != D3D_SDK_VERSION) return nullptr;
        return CreateDirect3D();
    });
}

Device* CreateDevice() {
    return new RecordingDevice();
}

uint32_t IdOf(const Unknown* object) {
    auto recorded = dynamic_cast<const RecordedObject*>(object);
    return recorded ? recorded->id() : 0;
}

const std::vector<uint8_t>& ContentsOf(const Unknown* buffer) {
    static const std::vector<uint8_t> empty;
    if (auto vertices = dynamic_cast<const RecordingVertexBuffer*>(buffer)) return vertices->contents;
    if (auto indices = dynamic_cast<const RecordingIndexBuffer*>(buffer)) return indices->contents;
    return empty;
}

}  // namespace gfx::recording
