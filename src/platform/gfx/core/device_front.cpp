#include "platform/gfx/core/device_front.h"

#include <algorithm>
#include <cstdint>

#include "platform/gfx/core/device_objects.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/image/texture_limits.h"

namespace gfx {

namespace {

uint32_t devicesReleasedWithLiveObjects = 0;

// Whether object is null or a child of device.
template <typename Interface>
bool Owns(const DeviceFront* device, Interface* object) {
    if (!object) return true;
    auto* child = dynamic_cast<DeviceChild<Interface>*>(object);
    return child && &child->Owner() == device;
}

uint32_t FullChainLength(uint32_t width, uint32_t height) {
    uint32_t edge = std::max(width, height), levels = 1;
    for (; edge > 1; edge >>= 1) ++levels;
    return levels;
}

HRESULT CannotLoad(const std::string& why) {
    LogLine("cannot load texture %s", why.c_str());
    return E_FAIL;
}

}  // namespace

uint32_t GetDevicesReleasedWithLiveObjects() { return devicesReleasedWithLiveObjects; }

DeviceFront::DeviceFront(uint32_t backBufferWidth, uint32_t backBufferHeight, bool depthBuffer,
                         const EffectAndFontMakers& makers, const TextureSupport& textures)
    : width_(backBufferWidth), height_(backBufferHeight), makers_(makers), textures_(textures) {
    for (size_t i = 0; i < rules::kRenderStateCount; ++i)
        renderStates_[i] = rules::kRenderStates[i].defaultValue;
    if (!depthBuffer) renderStates_[rules::RenderStateIndex(D3DRS_ZENABLE)] = D3DZB_FALSE;
    for (auto& sampler : samplers_)
        for (size_t i = 0; i < rules::kSamplerStateCount; ++i)
            sampler[i] = rules::kSamplerStates[i].defaultValue;
    viewport_.width = backBufferWidth;
    viewport_.height = backBufferHeight;
    scissor_ = Rect{0, 0, int32_t(backBufferWidth), int32_t(backBufferHeight)};
}

DeviceFront::~DeviceFront() = default;

void DeviceFront::OnLastRelease() {
    // Work still queued goes before what it reads is let go; objects bound
    // here whose owners released them are no leak.
    Changing();
    declaration_ = nullptr;
    for (StreamBinding& stream : streams_) stream = StreamBinding{};
    coveredUpTo_ = -1;
    indices_ = nullptr;
    if (liveObjects_ > 0) {
        ++devicesReleasedWithLiveObjects;
        LogLine("device released while %u object(s) created on it are alive", liveObjects_);
    }
}

// --- creation ------------------------------------------------------------------

HRESULT DeviceFront::CreateVertexBuffer(uint32_t length, uint32_t /*usage*/, uint32_t /*fvf*/,
                                        Pool /*pool*/, VertexBuffer** buffer, void* sharedHandle) {
    const char* call = "CreateVertexBuffer";
    if (!buffer) return Refuse(call, "no output pointer");
    *buffer = nullptr;
    if (length == 0) return Refuse(call, "length 0");
    if (sharedHandle) return Refuse(call, "shared handles are not supported");
    return MakeVertexBuffer(length, buffer);
}

HRESULT DeviceFront::CreateIndexBuffer(uint32_t length, uint32_t /*usage*/, Format format,
                                       Pool /*pool*/, IndexBuffer** buffer, void* sharedHandle) {
    const char* call = "CreateIndexBuffer";
    if (!buffer) return Refuse(call, "no output pointer");
    *buffer = nullptr;
    if (length == 0) return Refuse(call, "length 0");
    if (sharedHandle) return Refuse(call, "shared handles are not supported");
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)
        return Refuse(call, "format %u is no index format", format);
    return MakeIndexBuffer(length, format, buffer);
}

HRESULT DeviceFront::CreateVertexDeclaration(const VertexElement* elements,
                                             VertexDeclaration** declaration) {
    const char* call = "CreateVertexDeclaration";
    if (!declaration) return Refuse(call, "no output pointer");
    *declaration = nullptr;
    std::vector<VertexElement> table;
    std::vector<rules::ElementLayout> layout;
    if (HRESULT refused = rules::ReadDeclaration(call, elements, &table, &layout); Failed(refused))
        return refused;
    return MakeVertexDeclaration(std::move(table), std::move(layout), declaration);
}

HRESULT DeviceFront::CreateTextureFromFile(const char* path, Texture** texture) {
    if (!texture) return Refuse("CreateTextureFromFile", "no output pointer");
    *texture = nullptr;
    if (!path) return Refuse("CreateTextureFromFile", "no path");
    TextureFile file;
    std::string error;
    if (!ReadTextureFile(path, TextureShape::Flat, textures_, &file, &error))
        return CannotLoad(error);
    return MakeTexture(file, texture);
}

HRESULT DeviceFront::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                   Format format, Pool pool, Texture** texture) {
    const char* call = "CreateTexture";
    if (!texture) return Refuse(call, "no output pointer");
    *texture = nullptr;
    if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8)
        return Refuse(call, "format %u cannot be made in memory (A8R8G8B8, X8R8G8B8)", format);
    if ((usage & ~D3DUSAGE_DYNAMIC) != 0)
        return Refuse(call, "usage 0x%x (0 or D3DUSAGE_DYNAMIC)", usage);
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED)
        return Refuse(call, "pool %u (D3DPOOL_DEFAULT or D3DPOOL_MANAGED)", pool);
    image::TextureLimits limits;
    limits.maxEdge = textures_.maxEdge;
    std::string why;
    if (!image::CheckTextureSize(width, height, 1, uint64_t(width) * height * 4, limits, &why))
        return Refuse(call, "%u x %u: %s", width, height, why.c_str());
    const uint32_t chain = FullChainLength(width, height);
    if (levels > chain)
        return Refuse(call, "%u levels: a %u x %u texture has at most %u", levels, width, height,
                      chain);
    Changing();
    return MakeMemoryTexture(width, height, levels == 0 ? chain : levels, format, texture);
}

HRESULT DeviceFront::CreateCubeTextureFromFile(const char* path, CubeTexture** texture) {
    if (!texture) return Refuse("CreateCubeTextureFromFile", "no output pointer");
    *texture = nullptr;
    if (!path) return Refuse("CreateCubeTextureFromFile", "no path");
    TextureFile file;
    std::string error;
    if (!ReadTextureFile(path, TextureShape::Cube, textures_, &file, &error))
        return CannotLoad(error);
    return MakeCubeTexture(file, texture);
}

HRESULT DeviceFront::CreateCubeTextureFromPrepared(const char* path, const TextureFile& file,
                                                   const TextureSupport& support,
                                                   CubeTexture** texture) {
    // Read with other limits, the file might pass where this device refuses it.
    if (support != textures_) return CreateCubeTextureFromFile(path, texture);
    const char* call = "CreateCubeTextureFromPrepared";
    if (!texture) return Refuse(call, "no output pointer");
    *texture = nullptr;
    if (!file.dds || !file.layout.cube) return Refuse(call, "the file was not read as a cube map");
    return MakeCubeTexture(file, texture);
}

HRESULT DeviceFront::CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                          Buffer** errors) {
    if (errors) *errors = nullptr;
    if (!effect) return Refuse("CreateEffectFromFile", "no output pointer");
    *effect = nullptr;
    if (!makers_.effect) return E_FAIL;
    Changing();
    return makers_.effect(*this, path, flags, effect, errors);
}

// mipLevels, charSet, outputPrecision, quality and pitchAndFamily change
// nothing: the faces chosen cover every character set, glyphs are antialiased.
HRESULT DeviceFront::CreateFont(int32_t height, uint32_t width, uint32_t weight,
                                uint32_t /*mipLevels*/, int32_t italic, uint32_t /*charSet*/,
                                uint32_t /*outputPrecision*/, uint32_t /*quality*/,
                                uint32_t /*pitchAndFamily*/, const char* faceName, Font** font) {
    if (!font) return Refuse("CreateFont", "no output pointer");
    *font = nullptr;
    if (!makers_.font) return E_FAIL;
    Changing();
    return makers_.font(*this, height, width, weight, italic, faceName, font);
}

// --- state -------------------------------------------------------------------------
// A setter stores the value; the backend applies it when it next draws. A
// change first lets the backend finish work made under the old value.

HRESULT DeviceFront::SetRenderState(RenderState state, uint32_t value) {
    int index = rules::RenderStateIndex(state);
    if (index < 0) return Refuse("SetRenderState", "state %u is not supported", state);
    const rules::RenderStateRule& rule = rules::kRenderStates[index];
    if (value < rule.minimum || value > rule.maximum)
        return Refuse("SetRenderState", "%s: %u is not a value of %u..%u", rule.name, value,
                      rule.minimum, rule.maximum);
    if (renderStates_[index] != value) {
        Changing();
        renderStates_[index] = value;
    }
    return S_OK;
}

HRESULT DeviceFront::GetRenderState(RenderState state, uint32_t* value) {
    if (!value) return Refuse("GetRenderState", "no output pointer");
    int index = rules::RenderStateIndex(state);
    if (index < 0) return Refuse("GetRenderState", "state %u is not supported", state);
    *value = renderStates_[index];
    return S_OK;
}

HRESULT DeviceFront::SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) {
    const char* call = "SetSamplerState";
    if (sampler >= rules::kSamplerCount)
        return Refuse(call, "sampler %u (samplers 0..%u)", sampler, rules::kSamplerCount - 1);
    int index = rules::SamplerStateIndex(type);
    if (index < 0) return Refuse(call, "state %u is not supported", type);
    if (value > D3DTEXF_ANISOTROPIC)
        return Refuse(call, "%s: %u is no filter", rules::kSamplerStates[index].name, value);
    if (samplers_[sampler][index] != value) {
        Changing();
        samplers_[sampler][index] = value;
        SamplerChanged(sampler);
    }
    return S_OK;
}

HRESULT DeviceFront::GetSamplerState(uint32_t sampler, SamplerState type, uint32_t* value) {
    const char* call = "GetSamplerState";
    if (!value) return Refuse(call, "no output pointer");
    if (sampler >= rules::kSamplerCount)
        return Refuse(call, "sampler %u (samplers 0..%u)", sampler, rules::kSamplerCount - 1);
    int index = rules::SamplerStateIndex(type);
    if (index < 0) return Refuse(call, "state %u is not supported", type);
    *value = samplers_[sampler][index];
    return S_OK;
}

// Fixed-function lighting does not exist here: accepted and ignored.
HRESULT DeviceFront::LightEnable(uint32_t /*index*/, int32_t /*enable*/) { return S_OK; }

HRESULT DeviceFront::SetViewport(const Viewport* viewport) {
    if (!viewport) return Refuse("SetViewport", "no viewport");
    if (viewport->width == 0 || viewport->height == 0 ||
        uint64_t(viewport->x) + viewport->width > width_ ||
        uint64_t(viewport->y) + viewport->height > height_)
        return Refuse("SetViewport", "%u x %u at (%u, %u) is not inside the %u x %u back buffer",
                      viewport->width, viewport->height, viewport->x, viewport->y, width_, height_);
    const Viewport& v = *viewport;
    if (v.x != viewport_.x || v.y != viewport_.y || v.width != viewport_.width ||
        v.height != viewport_.height || v.minZ != viewport_.minZ || v.maxZ != viewport_.maxZ) {
        Changing();
        viewport_ = v;
    }
    return S_OK;
}

HRESULT DeviceFront::GetViewport(Viewport* viewport) {
    if (!viewport) return Refuse("GetViewport", "no output pointer");
    *viewport = viewport_;
    return S_OK;
}

HRESULT DeviceFront::SetScissorRect(const Rect* rect) {
    if (!rect) return Refuse("SetScissorRect", "no rectangle");
    const Rect& r = *rect;
    if (r.left < 0 || r.top < 0 || r.left > r.right || r.top > r.bottom ||
        int64_t(r.right) > int64_t(width_) || int64_t(r.bottom) > int64_t(height_))
        return Refuse("SetScissorRect", "(%d, %d)..(%d, %d) is not inside the %u x %u back buffer",
                      r.left, r.top, r.right, r.bottom, width_, height_);
    if (r.left != scissor_.left || r.top != scissor_.top || r.right != scissor_.right ||
        r.bottom != scissor_.bottom) {
        Changing();
        scissor_ = r;
    }
    return S_OK;
}

HRESULT DeviceFront::GetScissorRect(Rect* rect) {
    if (!rect) return Refuse("GetScissorRect", "no output pointer");
    *rect = scissor_;
    return S_OK;
}

HRESULT DeviceFront::SetVertexDeclaration(VertexDeclaration* declaration) {
    auto* object = dynamic_cast<DeclarationObject*>(declaration);
    if (declaration && (!object || &object->Owner() != this))
        return Refuse("SetVertexDeclaration", "the declaration was not made by this device");
    if (object != declaration_.get()) {
        Changing();
        declaration_ = Ref<DeclarationObject>::Internal(object);
        coveredUpTo_ = -1;
        InputChanged();
    }
    return S_OK;
}

HRESULT DeviceFront::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                                     uint32_t stride) {
    if (stream >= rules::kStreamCount)
        return Refuse("SetStreamSource", "stream %u (streams 0..%u)", stream,
                      rules::kStreamCount - 1);
    if (!Owns(this, buffer))
        return Refuse("SetStreamSource", "the buffer was not made by this device");
    StreamBinding& binding = streams_[stream];
    if (binding.buffer.get() != buffer || binding.offset != offset || binding.stride != stride) {
        Changing();
        binding = StreamBinding{Ref<VertexBuffer>::Internal(buffer), offset, stride,
                                buffer ? buffer->GetLength() : 0};
        coveredUpTo_ = -1;
        InputChanged();
    }
    return S_OK;
}

HRESULT DeviceFront::SetIndices(IndexBuffer* buffer) {
    if (!Owns(this, buffer)) return Refuse("SetIndices", "the buffer was not made by this device");
    if (buffer != indices_.get()) {
        Changing();
        indices_ = Ref<IndexBuffer>::Internal(buffer);
    }
    return S_OK;
}

// --- frame ---------------------------------------------------------------------------

HRESULT DeviceFront::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color,
                           float z, uint32_t stencil) {
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0)
        return Refuse("Clear", "flags 0x%x name nothing to clear", flags);
    if (count && !rects) return Refuse("Clear", "%u rectangles without a rectangle array", count);
    SendHeldDraws();
    ClearTargets(count, rects, flags, color, z, stencil);
    return S_OK;
}

HRESULT DeviceFront::BeginScene() {
    if (inScene_) return Refuse("BeginScene", "a scene is already open");
    inScene_ = true;
    return S_OK;
}

HRESULT DeviceFront::EndScene() {
    if (!inScene_) return Refuse("EndScene", "no scene is open");
    SendHeldDraws();
    SceneEnded();
    inScene_ = false;
    return S_OK;
}

HRESULT DeviceFront::GetBackBufferPixels(uint32_t* width, uint32_t* height,
                                         std::vector<uint8_t>* rgba) {
    if (!width || !height || !rgba) return Refuse("GetBackBufferPixels", "no output pointer");
    SendHeldDraws();
    HRESULT read = ReadBackBuffer(rgba);
    if (Failed(read)) {
        rgba->clear();
        return read;
    }
    *width = width_;
    *height = height_;
    return S_OK;
}

HRESULT DeviceFront::Present(const Rect* /*sourceRect*/, const Rect* /*destRect*/,
                             HWND /*overrideWindow*/, const void* /*dirtyRegion*/) {
    SendHeldDraws();
    PresentFrame();
    return S_OK;
}

HRESULT DeviceFront::SetPresentInterval(uint32_t interval) {
    if (interval != D3DPRESENT_INTERVAL_IMMEDIATE && interval != D3DPRESENT_INTERVAL_ONE &&
        interval != D3DPRESENT_INTERVAL_DEFAULT)
        return Refuse("SetPresentInterval", "interval 0x%x (IMMEDIATE, ONE or DEFAULT)", interval);
    WaitForRefresh(interval != D3DPRESENT_INTERVAL_IMMEDIATE);
    return S_OK;
}

HRESULT DeviceFront::ResizeBackBuffer(uint32_t width, uint32_t height) {
    constexpr uint32_t kMaxSide = 16384;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return Refuse("ResizeBackBuffer", "%u x %u (1 to %u pixels a side)", width, height,
                      kMaxSide);
    if (inScene_) return Refuse("ResizeBackBuffer", "inside BeginScene/EndScene");
    if (width == width_ && height == height_) return S_OK;
    Changing();
    width_ = width;
    height_ = height;
    viewport_ = Viewport{};
    viewport_.width = width;
    viewport_.height = height;
    BackBufferResized();
    return S_OK;
}

// --- drawing ---------------------------------------------------------------------------

bool DeviceFront::CheckStreams(const char* call, int64_t first, int64_t last) const {
    if (!declaration_) {
        Refuse(call, "no vertex declaration is set");
        return false;
    }
    if (first < 0 || last < first) {
        Refuse(call, "vertices %lld..%lld", (long long)first, (long long)last);
        return false;
    }
    // Every draw passes here: only the streams the declaration reads are looked at.
    for (uint32_t mask = declaration_->StreamMask(); mask != 0; mask &= mask - 1) {
        auto s = uint32_t(__builtin_ctz(mask));
        const StreamBinding& binding = streams_[s];
        if (!binding.buffer) {
            Refuse(call, "stream %u has no vertex buffer", s);
            return false;
        }
        uint64_t length = binding.length;
        uint32_t extent = declaration_->StreamExtent(s);
        // Compared before multiplying, so that no product overflows.
        bool fits = binding.stride == 0 || uint64_t(last) <= length / binding.stride;
        if (!fits || binding.offset + uint64_t(last) * binding.stride + extent > length) {
            Refuse(call, "vertex %lld of stream %u lies past its buffer's %llu bytes",
                   (long long)last, s, (unsigned long long)length);
            return false;
        }
    }
    // The last vertex every stream holds (at least `last`, as they all fit).
    int64_t covered = INT64_MAX;
    for (uint32_t mask = declaration_->StreamMask(); mask != 0; mask &= mask - 1) {
        const StreamBinding& binding = streams_[__builtin_ctz(mask)];
        if (binding.stride == 0) continue;
        const uint64_t room = binding.length - binding.offset -
                              declaration_->StreamExtent(uint32_t(__builtin_ctz(mask)));
        covered = std::min(covered, int64_t(room / binding.stride));
    }
    coveredUpTo_ = covered;
    return true;
}

HRESULT DeviceFront::DrawPrimitive(PrimitiveType type, uint32_t startVertex,
                                   uint32_t primitiveCount) {
    // A model draws one triangle per call, each continuing the last: such a
    // call lengthens the held run without the checks below, which it passes
    // (the type is the run's, the streams were found to hold its vertices).
    // With nothing held, next is kNothing, which no start vertex equals.
    if (startVertex == held_.next && type == held_.type) {
        const uint64_t end = uint64_t(startVertex) + uint64_t(primitiveCount) * held_.perPrimitive;
        if (end > startVertex && end <= held_.limit) {
            held_.next = end;
            return S_OK;
        }
    }
    return DrawChecked(type, startVertex, primitiveCount);
}

HRESULT DeviceFront::DrawChecked(PrimitiveType type, uint32_t startVertex,
                                 uint32_t primitiveCount) {
    uint64_t count = rules::VertexCount(type, primitiveCount);
    if (count == 0 || primitiveCount == 0)
        return Refuse("DrawPrimitive", "%u primitives of type %u", primitiveCount, type);
    if (!StreamsCover("DrawPrimitive", startVertex, int64_t(startVertex) + int64_t(count) - 1))
        return D3DERR_INVALIDCALL;
    SendHeldDraws();
    const uint32_t perPrimitive = rules::ListVertices(type);
    if (mergeDraws_ && perPrimitive != 0 && count <= UINT32_MAX) {
        // The run may grow while its vertices stay inside the streams and
        // its count fits 32 bits (coveredUpTo_ holds while a run is held:
        // every change sends the run first).
        const uint64_t limit =
            std::min(uint64_t(coveredUpTo_) + 1, uint64_t(startVertex) + UINT32_MAX);
        held_ = HeldRun{type, startVertex, uint64_t(startVertex) + count, limit, perPrimitive};
        return S_OK;
    }
    DrawVertices(type, startVertex, uint32_t(count));
    return S_OK;
}

HRESULT DeviceFront::DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                          uint32_t minVertexIndex, uint32_t numVertices,
                                          uint32_t startIndex, uint32_t primitiveCount) {
    const char* call = "DrawIndexedPrimitive";
    uint64_t count = rules::VertexCount(type, primitiveCount);
    if (count == 0 || primitiveCount == 0)
        return Refuse(call, "%u primitives of type %u", primitiveCount, type);
    if (numVertices == 0) return Refuse(call, "no vertices");
    if (!indices_) return Refuse(call, "no index buffer is set");
    uint64_t indexCount = indices_->GetLength() / (indices_->GetFormat() == D3DFMT_INDEX32 ? 4 : 2);
    if (startIndex + count > indexCount)
        return Refuse(call, "indices %u..%llu lie past the buffer's %llu", startIndex,
                      (unsigned long long)(startIndex + count - 1), (unsigned long long)indexCount);
    int64_t first = int64_t(baseVertexIndex) + minVertexIndex;
    if (!StreamsCover(call, first, first + numVertices - 1)) return D3DERR_INVALIDCALL;
    SendHeldDraws();
    DrawIndexed(type, baseVertexIndex, startIndex, uint32_t(count));
    return S_OK;
}

// --- Direct3D ----------------------------------------------------------------------------

HRESULT Direct3DFront::NotAvailable(const std::string& why) {
    LogLine("CreateDevice: %s", why.c_str());
    creationFailure_ = why;
    return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3DFront::GetDeviceCaps(uint32_t adapter, DeviceType type, Caps* caps) {
    if (!caps) return Refuse("GetDeviceCaps", "no output pointer");
    if (adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL)
        return Refuse("GetDeviceCaps", "adapter %u type %u: only the default adapter's HAL",
                      adapter, type);
    *caps = Caps{};
    caps->deviceType = type;
    caps->adapterOrdinal = adapter;
    caps->devCaps = rules::kDevCaps;
    caps->maxTextureWidth = rules::kMaxTextureEdge;
    caps->maxTextureHeight = rules::kMaxTextureEdge;
    return S_OK;
}

HRESULT Direct3DFront::CreateDevice(uint32_t adapter, DeviceType type, HWND focusWindow,
                                    uint32_t /*behaviorFlags*/, PresentParameters* parameters,
                                    Device** device) {
    const char* call = "CreateDevice";
    creationFailure_.clear();
    if (!device) return Refuse(call, "no output pointer");
    *device = nullptr;
    if (!parameters) return Refuse(call, "no present parameters");
    if (adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL)
        return Refuse(call, "adapter %u type %u: only the default adapter's HAL", adapter, type);
    if (!parameters->windowed) return NotAvailable("only windowed devices");
    Format format = parameters->backBufferFormat;
    if (format != D3DFMT_UNKNOWN && format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8)
        return NotAvailable("back buffer format not supported");
    if (parameters->enableAutoDepthStencil && parameters->autoDepthStencilFormat != D3DFMT_D24S8)
        return NotAvailable("depth format not supported (D24S8 only)");
    HWND window =
        parameters->deviceWindow ? static_cast<HWND>(parameters->deviceWindow) : focusWindow;
    HRESULT made = MakeDevice(window, parameters, device);
    if (Failed(made)) return made;
    // The desktop's format, which windowed mode uses.
    if (format == D3DFMT_UNKNOWN) parameters->backBufferFormat = D3DFMT_X8R8G8B8;
    if (parameters->backBufferCount == 0) parameters->backBufferCount = 1;
    return made;
}

}  // namespace gfx
