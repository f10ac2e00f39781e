#include "platform/gfx/gl/gl_device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_services.h"
#include "platform/window/sdl/native_window.h"

namespace gfx::gl {

namespace {

uint32_t totalGlErrors = 0;
std::string lastDeviceFailure;
uint32_t devicesReleasedWithLiveObjects = 0;
EffectFactory effectFactory = nullptr;
FontFactory fontFactory = nullptr;

bool EnvironmentFlag(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] && std::strcmp(value, "0") != 0;
}

void GLAPIENTRY OnDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               GLsizei /*length*/, const GLchar* message, const void* user) {
    // A shader GL refuses is a build result, handed back with its log by
    // BuildProgram; only misuse of the API counts as an error here.
    if (type != GL_DEBUG_TYPE_ERROR || source == GL_DEBUG_SOURCE_SHADER_COMPILER) return;
    auto* shared = static_cast<DeviceShared*>(const_cast<void*>(user));
    ++shared->glErrors;
    ++totalGlErrors;
    std::fprintf(stderr, "GL error %u (severity 0x%x): %s\n", id, severity, message);
}

// Vertices used by primitiveCount primitives of a type; 0 for an unknown type.
uint32_t VertexCount(PrimitiveType type, uint32_t primitiveCount, GLenum* mode) {
    switch (type) {
    case D3DPT_POINTLIST: *mode = GL_POINTS; return primitiveCount;
    case D3DPT_LINELIST: *mode = GL_LINES; return primitiveCount * 2;
    case D3DPT_LINESTRIP: *mode = GL_LINE_STRIP; return primitiveCount + 1;
    case D3DPT_TRIANGLELIST: *mode = GL_TRIANGLES; return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP: *mode = GL_TRIANGLE_STRIP; return primitiveCount + 2;
    case D3DPT_TRIANGLEFAN: *mode = GL_TRIANGLE_FAN; return primitiveCount + 2;
    }
    return 0;
}

// List primitives can be concatenated: the next run of vertices starts where the last ended.
bool Mergeable(GLenum mode) { return mode == GL_TRIANGLES || mode == GL_LINES || mode == GL_POINTS; }

GLenum FilterOf(uint32_t filter) { return filter == D3DTEXF_POINT || filter == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR; }

GLenum MinFilterOf(const SamplerSetting& s) {
    bool linear = s.min != D3DTEXF_POINT && s.min != D3DTEXF_NONE;
    switch (s.mip) {
    case D3DTEXF_NONE: return linear ? GL_LINEAR : GL_NEAREST;
    case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    default: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
}

}  // namespace

void MakeContextCurrent(SDL_Window* window, SDL_GLContext context) {
    // SDL keeps the current context per thread; asking it is cheap and stays
    // right whoever else made a context current.
    if (SDL_GL_GetCurrentContext() != context) SDL_GL_MakeCurrent(window, context);
}

bool DeviceShared::MakeCurrent() {
    if (!device) return false;
    MakeContextCurrent(window, context);
    return true;
}

void FlushDevice(DeviceShared& shared) {
    if (shared.device) shared.device->FlushPendingDraws();
}

// ---------------------------------------------------------------------------
// Device

GlDevice::GlDevice(std::shared_ptr<DeviceShared> shared, uint32_t width, uint32_t height,
                   bool depth, bool merge)
    : shared_(std::move(shared)), width_(width), height_(height), merge_(merge) {
    shared_->device = this;
    states_.zEnable = depth ? D3DZB_TRUE : D3DZB_FALSE;
    viewport_.width = width;
    viewport_.height = height;
    MakeCurrent();
    glCreateVertexArrays(1, &vao_);
    glCreateSamplers(kSamplerCount, samplerNames_);
    for (uint32_t i = 0; i < kSamplerCount; ++i) ApplySampler(i);
}

GlDevice::~GlDevice() {
    MakeCurrent();
    FlushPendingDraws();
    if (shared_->liveObjects > 0) {
        ++devicesReleasedWithLiveObjects;
        std::fprintf(stderr, "gfx: device released while %u object(s) created on it are alive\n",
                     shared_->liveObjects);
    }
    glDeleteSamplers(kSamplerCount, samplerNames_);
    glDeleteVertexArrays(1, &vao_);
    shared_->device = nullptr;
    SDL_GL_MakeCurrent(shared_->window, nullptr);
    SDL_GL_DeleteContext(shared_->context);
    shared_->context = nullptr;
}

uint32_t GlDevice::Release() {
    uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

void GlDevice::Forget(const void* object) {
    bool bound = object == declaration_ || object == indices_;
    for (auto& s : streams_) bound = bound || s.buffer == object;
    if (!bound) return;
    FlushPendingDraws();
    if (object == declaration_) declaration_ = nullptr;
    if (object == indices_) indices_ = nullptr;
    for (auto& s : streams_)
        if (s.buffer == object) s = StreamBinding{};
    inputDirty_ = true;
}

void GlDevice::SetMerging(bool enabled) {
    FlushPendingDraws();
    merge_ = enabled;
}

// --- creation ---------------------------------------------------------------

HRESULT GlDevice::CreateVertexBuffer(uint32_t length, uint32_t /*usage*/, uint32_t /*fvf*/,
                                     Pool /*pool*/, VertexBuffer** buffer, void* sharedHandle) {
    if (!buffer || length == 0 || sharedHandle) return D3DERR_INVALIDCALL;
    MakeCurrent();
    *buffer = new GlVertexBuffer(shared_, length);
    return S_OK;
}

HRESULT GlDevice::CreateIndexBuffer(uint32_t length, uint32_t /*usage*/, Format format,
                                    Pool /*pool*/, IndexBuffer** buffer, void* sharedHandle) {
    if (!buffer || length == 0 || sharedHandle) return D3DERR_INVALIDCALL;
    if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
    MakeCurrent();
    *buffer = new GlIndexBuffer(shared_, length, format);
    return S_OK;
}

HRESULT GlDevice::CreateVertexDeclaration(const VertexElement* elements,
                                          VertexDeclaration** declaration) {
    if (!elements || !declaration) return D3DERR_INVALIDCALL;
    std::vector<VertexElement> copy;
    std::vector<GlAttribute> attributes;
    if (!ResolveDeclaration(elements, &copy, &attributes)) return D3DERR_INVALIDCALL;
    *declaration = new GlVertexDeclaration(shared_, std::move(copy), std::move(attributes));
    return S_OK;
}

HRESULT GlDevice::CreateTextureFromFile(const char* path, Texture** texture) {
    if (!path || !texture) return D3DERR_INVALIDCALL;
    FlushPendingDraws();
    MakeCurrent();
    return LoadTexture(shared_, path, texture);
}

HRESULT GlDevice::CreateCubeTextureFromFile(const char* path, CubeTexture** texture) {
    if (!path || !texture) return D3DERR_INVALIDCALL;
    FlushPendingDraws();
    MakeCurrent();
    return LoadCubeTexture(shared_, path, texture);
}

HRESULT GlDevice::CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                       Buffer** errors) {
    if (!effect) return D3DERR_INVALIDCALL;
    if (!effectFactory) return E_FAIL;
    FlushPendingDraws();
    MakeCurrent();
    return effectFactory(this, path, flags, effect, errors);
}

HRESULT GlDevice::CreateFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                             int32_t italic, uint32_t charSet, uint32_t outputPrecision,
                             uint32_t quality, uint32_t pitchAndFamily, const char* faceName,
                             Font** font) {
    if (!font) return D3DERR_INVALIDCALL;
    if (!fontFactory) return E_FAIL;
    FlushPendingDraws();
    MakeCurrent();
    return fontFactory(this, height, width, weight, mipLevels, italic, charSet, outputPrecision,
                       quality, pitchAndFamily, faceName, font);
}

// --- state ------------------------------------------------------------------
// Setters record the value; the next draw applies it. A setter that changes
// something first sends the merged draws that were made under the old value.

HRESULT GlDevice::SetRenderState(RenderState state, uint32_t value) {
    uint32_t* slot = nullptr;
    switch (state) {
    case D3DRS_ZENABLE:
        if (value > D3DZB_TRUE) return D3DERR_INVALIDCALL;  // no W-buffer
        slot = &states_.zEnable;
        break;
    case D3DRS_FILLMODE:
        if (value < D3DFILL_POINT || value > D3DFILL_SOLID) return D3DERR_INVALIDCALL;
        slot = &states_.fillMode;
        break;
    case D3DRS_ZWRITEENABLE: slot = &states_.zWriteEnable; break;
    case D3DRS_CULLMODE:
        if (value < D3DCULL_NONE || value > D3DCULL_CCW) return D3DERR_INVALIDCALL;
        slot = &states_.cullMode;
        break;
    case D3DRS_ALPHABLENDENABLE: slot = &states_.alphaBlendEnable; break;
    // Fixed-function lighting does not exist on a core context: the values
    // are kept for GetRenderState and change nothing drawn.
    case D3DRS_SPECULARENABLE: states_.specularEnable = value; return S_OK;
    case D3DRS_LIGHTING: states_.lighting = value; return S_OK;
    default: return D3DERR_INVALIDCALL;
    }
    if (*slot != value) {
        FlushPendingDraws();
        *slot = value;
    }
    return S_OK;
}

HRESULT GlDevice::GetRenderState(RenderState state, uint32_t* value) {
    if (!value) return D3DERR_INVALIDCALL;
    switch (state) {
    case D3DRS_ZENABLE: *value = states_.zEnable; return S_OK;
    case D3DRS_FILLMODE: *value = states_.fillMode; return S_OK;
    case D3DRS_ZWRITEENABLE: *value = states_.zWriteEnable; return S_OK;
    case D3DRS_CULLMODE: *value = states_.cullMode; return S_OK;
    case D3DRS_ALPHABLENDENABLE: *value = states_.alphaBlendEnable; return S_OK;
    case D3DRS_SPECULARENABLE: *value = states_.specularEnable; return S_OK;
    case D3DRS_LIGHTING: *value = states_.lighting; return S_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT GlDevice::SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) {
    if (sampler >= kSamplerCount || value > 3) return D3DERR_INVALIDCALL;  // 3: anisotropic
    SamplerSetting& s = samplers_[sampler];
    uint32_t* slot = nullptr;
    switch (type) {
    case D3DSAMP_MAGFILTER: slot = &s.mag; break;
    case D3DSAMP_MINFILTER: slot = &s.min; break;
    case D3DSAMP_MIPFILTER: slot = &s.mip; break;
    default: return D3DERR_INVALIDCALL;
    }
    if (*slot == value) return S_OK;
    // Sampler parameters are object state, not context state: set them now,
    // after the draws made with the old filter.
    FlushPendingDraws();
    *slot = value;
    MakeCurrent();
    ApplySampler(sampler);
    return S_OK;
}

void GlDevice::ApplySampler(uint32_t index) {
    const SamplerSetting& s = samplers_[index];
    glSamplerParameteri(samplerNames_[index], GL_TEXTURE_MAG_FILTER, GLint(FilterOf(s.mag)));
    glSamplerParameteri(samplerNames_[index], GL_TEXTURE_MIN_FILTER, GLint(MinFilterOf(s)));
}

HRESULT GlDevice::LightEnable(uint32_t /*index*/, int32_t /*enable*/) { return S_OK; }

HRESULT GlDevice::SetViewport(const Viewport* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    if (uint64_t(viewport->x) + viewport->width > width_ ||
        uint64_t(viewport->y) + viewport->height > height_ || viewport->width == 0 ||
        viewport->height == 0)
        return D3DERR_INVALIDCALL;
    if (std::memcmp(viewport, &viewport_, sizeof viewport_) != 0) {
        FlushPendingDraws();
        viewport_ = *viewport;
    }
    return S_OK;
}

HRESULT GlDevice::GetViewport(Viewport* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return S_OK;
}

HRESULT GlDevice::SetVertexDeclaration(VertexDeclaration* declaration) {
    auto* gl = dynamic_cast<GlVertexDeclaration*>(declaration);
    if (declaration && !gl) return D3DERR_INVALIDCALL;
    if (gl != declaration_) {
        FlushPendingDraws();
        declaration_ = gl;
        inputDirty_ = true;
    }
    return S_OK;
}

HRESULT GlDevice::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                                  uint32_t stride) {
    if (stream >= kStreamCount) return D3DERR_INVALIDCALL;
    auto* gl = dynamic_cast<GlVertexBuffer*>(buffer);
    if (buffer && !gl) return D3DERR_INVALIDCALL;
    StreamBinding& s = streams_[stream];
    if (s.buffer != gl || s.offset != offset || s.stride != stride) {
        FlushPendingDraws();
        s = StreamBinding{gl, offset, stride};
        inputDirty_ = true;
    }
    return S_OK;
}

HRESULT GlDevice::SetIndices(IndexBuffer* buffer) {
    auto* gl = dynamic_cast<GlIndexBuffer*>(buffer);
    if (buffer && !gl) return D3DERR_INVALIDCALL;
    if (gl != indices_) {
        FlushPendingDraws();
        indices_ = gl;
    }
    return S_OK;
}

GlRasterState GlDevice::WantedRaster() const {
    GlRasterState r;
    r.polygonMode = states_.fillMode == D3DFILL_SOLID       ? GL_FILL
                    : states_.fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                                            : GL_POINT;
    // Direct3D judges winding as the viewer sees the triangle on screen, and
    // so does GL (window coordinates keep the picture's orientation; GL's
    // counter-clockwise front face is what the viewer sees counter-clockwise).
    // D3DCULL_CW culls clockwise triangles = GL's back faces; D3DCULL_CCW the
    // counter-clockwise ones = GL's front faces.
    r.cull = states_.cullMode != D3DCULL_NONE;
    r.cullFace = states_.cullMode == D3DCULL_CCW ? GL_FRONT : GL_BACK;
    r.depthTest = states_.zEnable != D3DZB_FALSE;
    r.depthWrite = states_.zWriteEnable != 0;
    r.blend = states_.alphaBlendEnable != 0;
    // Direct3D's viewport origin is the top left corner, GL's the bottom left.
    r.viewport[0] = GLint(viewport_.x);
    r.viewport[1] = GLint(height_) - GLint(viewport_.y + viewport_.height);
    r.viewport[2] = GLint(viewport_.width);
    r.viewport[3] = GLint(viewport_.height);
    r.depthRange[0] = viewport_.minZ;
    r.depthRange[1] = viewport_.maxZ;
    return r;
}

void GlDevice::ApplyState() {
    GlRasterState want = WantedRaster();
    bool all = !applied_valid_;
    if (all) {
        // Values the device never changes, re-established after outside code
        // (effect, font) may have touched them.
        glBindVertexArray(vao_);
        glDepthFunc(GL_LEQUAL);  // Direct3D's default depth comparison
        glFrontFace(GL_CCW);
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_STENCIL_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // Alpha blending as the font and overlays use it: source alpha over.
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindSamplers(0, kSamplerCount, samplerNames_);
        inputDirty_ = true;
        appliedElementBuffer_ = ~0u;
    }
    if (all || want.polygonMode != applied_.polygonMode)
        glPolygonMode(GL_FRONT_AND_BACK, want.polygonMode);
    if (all || want.cull != applied_.cull) (want.cull ? glEnable : glDisable)(GL_CULL_FACE);
    if (all || want.cullFace != applied_.cullFace) glCullFace(want.cullFace);
    if (all || want.depthTest != applied_.depthTest)
        (want.depthTest ? glEnable : glDisable)(GL_DEPTH_TEST);
    if (all || want.depthWrite != applied_.depthWrite) glDepthMask(want.depthWrite ? GL_TRUE : GL_FALSE);
    if (all || want.blend != applied_.blend) (want.blend ? glEnable : glDisable)(GL_BLEND);
    if (all || std::memcmp(want.viewport, applied_.viewport, sizeof want.viewport) != 0)
        glViewport(want.viewport[0], want.viewport[1], want.viewport[2], want.viewport[3]);
    if (all || want.depthRange[0] != applied_.depthRange[0] ||
        want.depthRange[1] != applied_.depthRange[1])
        glDepthRangef(want.depthRange[0], want.depthRange[1]);
    applied_ = want;
    applied_valid_ = true;

    if (inputDirty_) {
        for (uint32_t location = 0; location <= kColorLocation; ++location)
            glDisableVertexArrayAttrib(vao_, location);
        if (declaration_) {
            for (const GlAttribute& a : declaration_->attributes) {
                glEnableVertexArrayAttrib(vao_, a.location);
                if (a.bgra)
                    glVertexArrayAttribFormat(vao_, a.location, GL_BGRA, a.type, a.normalized, a.offset);
                else
                    glVertexArrayAttribFormat(vao_, a.location, a.components, a.type, a.normalized, a.offset);
                glVertexArrayAttribBinding(vao_, a.location, a.stream);
            }
        }
        for (uint32_t s = 0; s < kStreamCount; ++s) {
            const StreamBinding& b = streams_[s];
            glVertexArrayVertexBuffer(vao_, s, b.buffer ? b.buffer->store.name : 0, b.offset,
                                      GLsizei(b.stride));
        }
        inputDirty_ = false;
    }
    GLuint elements = indices_ ? indices_->store.name : 0;
    if (elements != appliedElementBuffer_) {
        glVertexArrayElementBuffer(vao_, elements);
        appliedElementBuffer_ = elements;
    }
}

// --- frame ------------------------------------------------------------------

HRESULT GlDevice::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                        uint32_t stencil) {
    if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0 || (count && !rects))
        return D3DERR_INVALIDCALL;
    FlushPendingDraws();
    MakeCurrent();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        // ARGB → RGBA
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepthf(z);
        glDepthMask(GL_TRUE);  // GL's clear obeys the depth mask, Direct3D's does not
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(GLint(stencil));
        glStencilMask(0xFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // Direct3D clears the viewport, or the given rectangles within it. Rects
    // have their origin top left; GL's scissor box bottom left.
    glEnable(GL_SCISSOR_TEST);
    auto clearBox = [&](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        int64_t l = std::max<int64_t>(left, viewport_.x);
        int64_t t = std::max<int64_t>(top, viewport_.y);
        int64_t r = std::min<int64_t>(right, int64_t(viewport_.x) + viewport_.width);
        int64_t b = std::min<int64_t>(bottom, int64_t(viewport_.y) + viewport_.height);
        if (r <= l || b <= t) return;
        glScissor(GLint(l), GLint(int64_t(height_) - b), GLsizei(r - l), GLsizei(b - t));
        glClear(mask);
    };
    if (count == 0) {
        clearBox(viewport_.x, viewport_.y, int64_t(viewport_.x) + viewport_.width,
                 int64_t(viewport_.y) + viewport_.height);
    } else {
        for (uint32_t i = 0; i < count; ++i)
            clearBox(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    }
    glDisable(GL_SCISSOR_TEST);
    if (applied_valid_) glDepthMask(applied_.depthWrite ? GL_TRUE : GL_FALSE);
    return S_OK;
}

HRESULT GlDevice::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return S_OK;
}

HRESULT GlDevice::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    FlushPendingDraws();
    inScene_ = false;
    return S_OK;
}

HRESULT GlDevice::Present(const Rect* /*sourceRect*/, const Rect* /*destRect*/,
                          HWND /*overrideWindow*/, const void* /*dirtyRegion*/) {
    FlushPendingDraws();
    MakeCurrent();
    SDL_GL_SwapWindow(shared_->window);
    return S_OK;
}

// --- drawing ----------------------------------------------------------------

bool GlDevice::StreamsCover(int64_t first, int64_t last) const {
    if (!declaration_ || first < 0 || last < first) return false;
    for (const GlAttribute& a : declaration_->attributes) {
        const StreamBinding& s = streams_[a.stream];
        if (!s.buffer) return false;
        int64_t end = int64_t(s.offset) + last * int64_t(s.stride) + a.offset + a.bytes;
        if (end > int64_t(s.buffer->store.bytes.size())) return false;
    }
    return true;
}

void GlDevice::IssueDraw(GLenum mode, uint32_t first, uint32_t count) {
    MakeCurrent();
    ApplyState();
    glDrawArrays(mode, GLint(first), GLsizei(count));
    ++drawCalls_;
}

void GlDevice::FlushPendingDraws() {
    if (!pending_.active) return;
    pending_.active = false;
    IssueDraw(pending_.mode, pending_.first, pending_.count);
}

HRESULT GlDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
    GLenum mode = 0;
    uint32_t count = VertexCount(type, primitiveCount, &mode);
    if (primitiveCount == 0 || count == 0) return D3DERR_INVALIDCALL;
    if (!StreamsCover(startVertex, int64_t(startVertex) + count - 1)) return D3DERR_INVALIDCALL;
    if (merge_ && Mergeable(mode)) {
        if (pending_.active && pending_.mode == mode &&
            uint64_t(pending_.first) + pending_.count == startVertex) {
            pending_.count += count;
            return S_OK;
        }
        FlushPendingDraws();
        pending_ = PendingDraw{true, mode, startVertex, count};
        return S_OK;
    }
    FlushPendingDraws();
    IssueDraw(mode, startVertex, count);
    return S_OK;
}

HRESULT GlDevice::DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                       uint32_t minVertexIndex, uint32_t numVertices,
                                       uint32_t startIndex, uint32_t primitiveCount) {
    GLenum mode = 0;
    uint32_t count = VertexCount(type, primitiveCount, &mode);
    if (primitiveCount == 0 || count == 0 || numVertices == 0 || !indices_) return D3DERR_INVALIDCALL;
    uint64_t indexCount = indices_->store.bytes.size() / indices_->IndexSize();
    if (uint64_t(startIndex) + count > indexCount) return D3DERR_INVALIDCALL;
    int64_t first = int64_t(baseVertexIndex) + minVertexIndex;
    if (!StreamsCover(first, first + numVertices - 1)) return D3DERR_INVALIDCALL;
    FlushPendingDraws();
    MakeCurrent();
    ApplyState();
    GLenum indexType = indices_->IndexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    glDrawElementsBaseVertex(
        mode, GLsizei(count), indexType,
        reinterpret_cast<const void*>(uintptr_t(startIndex) * indices_->IndexSize()),
        baseVertexIndex);
    ++drawCalls_;
    return S_OK;
}

// ---------------------------------------------------------------------------
// Direct3D object

namespace {

class GlDirect3D final : public Direct3D {
public:
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override {
        uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT GetDeviceCaps(uint32_t adapter, DeviceType type, Caps* caps) override {
        if (!caps || adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL)
            return D3DERR_INVALIDCALL;
        *caps = Caps{};
        caps->deviceType = type;
        caps->adapterOrdinal = adapter;
        // Vertex processing happens in the GL pipeline's vertex shaders.
        caps->devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        // GL 4.5 guarantees at least 16384.
        caps->maxTextureWidth = 16384;
        caps->maxTextureHeight = 16384;
        return S_OK;
    }

    HRESULT CreateDevice(uint32_t adapter, DeviceType type, HWND focusWindow,
                         uint32_t /*behaviorFlags*/, PresentParameters* parameters,
                         Device** device) override;

private:
    uint32_t references_ = 1;
};

// What a person needs to hear when no 4.5 core context can be had: what is
// needed and what the display offers, from a context of whatever version
// the driver gives (core first, then compatibility).
std::string DescribeOfferedGl(SDL_Window* window) {
    std::string offered = "no OpenGL context at all (" + std::string(SDL_GetError()) + ")";
    for (int profile : {SDL_GL_CONTEXT_PROFILE_CORE, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY}) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, profile == SDL_GL_CONTEXT_PROFILE_CORE ? 3 : 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, profile == SDL_GL_CONTEXT_PROFILE_CORE ? 2 : 0);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
        SDL_GLContext probe = SDL_GL_CreateContext(window);
        if (!probe) continue;
        MakeContextCurrent(window, probe);
        int version = epoxy_gl_version();
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        std::string name = renderer ? renderer : "unknown renderer";
        name = name.substr(0, name.find(" ("));  // "llvmpipe (LLVM 15.0.6, 256 bits)"
        offered = std::to_string(version / 10) + "." + std::to_string(version % 10) +
                  (profile == SDL_GL_CONTEXT_PROFILE_CORE ? "" : " compatibility") + " (" + name + ")";
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(probe);
        break;
    }
    SetOpenGlWindowAttributes();  // as every other window of ours expects them
    return "OpenGL 4.5 core profile needed; this display offers " + offered;
}

HRESULT GlDirect3D::CreateDevice(uint32_t adapter, DeviceType type, HWND focusWindow,
                                 uint32_t /*behaviorFlags*/, PresentParameters* parameters,
                                 Device** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!parameters || adapter != D3DADAPTER_DEFAULT || type != D3DDEVTYPE_HAL)
        return D3DERR_INVALIDCALL;
    HWND windowHandle = parameters->deviceWindow ? static_cast<HWND>(parameters->deviceWindow)
                                                 : focusWindow;
    SDL_Window* window = GetSdlWindow(windowHandle);
    if (!window) return D3DERR_INVALIDCALL;
    if (!parameters->windowed) return D3DERR_NOTAVAILABLE;  // only windowed devices
    Format format = parameters->backBufferFormat;
    if (format != D3DFMT_UNKNOWN && format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8)
        return D3DERR_NOTAVAILABLE;
    if (parameters->enableAutoDepthStencil && parameters->autoDepthStencilFormat != D3DFMT_D24S8)
        return D3DERR_NOTAVAILABLE;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) == 0) return D3DERR_NOTAVAILABLE;

    bool debug = EnvironmentFlag("RR_GL_DEBUG");
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, debug ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    lastDeviceFailure.clear();
    if (!context) {
        lastDeviceFailure = DescribeOfferedGl(window);
        return D3DERR_NOTAVAILABLE;
    }
    MakeContextCurrent(window, context);
    if (epoxy_gl_version() < 45 || epoxy_is_desktop_gl() == 0) {
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(context);
        lastDeviceFailure = DescribeOfferedGl(window);
        return D3DERR_NOTAVAILABLE;
    }

    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(window, &drawableWidth, &drawableHeight);
    if (parameters->backBufferWidth == 0) parameters->backBufferWidth = uint32_t(drawableWidth);
    if (parameters->backBufferHeight == 0) parameters->backBufferHeight = uint32_t(drawableHeight);
    // The desktop's format, which windowed mode uses.
    if (format == D3DFMT_UNKNOWN) parameters->backBufferFormat = D3DFMT_X8R8G8B8;
    if (parameters->backBufferCount == 0) parameters->backBufferCount = 1;

    // Presentation does not wait for the vertical retrace.
    SDL_GL_SetSwapInterval(0);

    auto shared = std::make_shared<DeviceShared>();
    shared->window = window;
    shared->context = context;
    shared->hasS3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &shared->maxTextureSize);
    if (debug) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(OnDebugMessage, shared.get());
    }
    // The math library's projections put depth 0 at the near plane and 1 at
    // the far plane (Direct3D's clip space), with +y up on screen.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);

    *device = new GlDevice(shared, parameters->backBufferWidth, parameters->backBufferHeight,
                           parameters->enableAutoDepthStencil != 0, !EnvironmentFlag("RR_GL_NO_MERGE"));
    return S_OK;
}

Direct3D* CreateDirect3DForVersion(uint32_t sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    return new GlDirect3D();
}

GlDevice* AsGl(Device* device) { return dynamic_cast<GlDevice*>(device); }

}  // namespace

// ---------------------------------------------------------------------------
// Entry points

Direct3D* CreateDirect3D() { return new GlDirect3D(); }

void Install() { SetDirect3DFactory(CreateDirect3DForVersion); }

const std::string& LastDeviceFailure() { return lastDeviceFailure; }

void SetDrawMerging(Device* device, bool enabled) {
    if (GlDevice* gl = AsGl(device)) gl->SetMerging(enabled);
}

uint64_t GetGlDrawCallCount(Device* device) {
    GlDevice* gl = AsGl(device);
    return gl ? gl->DrawCalls() : 0;
}

uint32_t GetGlErrorCount(Device* device) {
    GlDevice* gl = AsGl(device);
    return gl ? gl->Shared()->glErrors : 0;
}

uint32_t GetTotalGlErrorCount() { return totalGlErrors; }

uint32_t GetDevicesReleasedWithLiveObjects() { return devicesReleasedWithLiveObjects; }

bool Finish(Device* device) {
    GlDevice* gl = AsGl(device);
    if (!gl) return false;
    gl->FlushPendingDraws();
    gl->MakeCurrent();
    glFinish();
    return true;
}

bool ReadBackBuffer(Device* device, uint32_t* width, uint32_t* height, std::vector<uint8_t>* rgba) {
    GlDevice* gl = AsGl(device);
    if (!gl || !width || !height || !rgba) return false;
    gl->FlushPendingDraws();
    gl->MakeCurrent();
    uint32_t w = gl->Width(), h = gl->Height();
    std::vector<uint8_t> bottomUp(size_t(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL reads rows from the bottom up; hand them out top down.
    rgba->resize(bottomUp.size());
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(rgba->data() + size_t(y) * w * 4, bottomUp.data() + size_t(h - 1 - y) * w * 4,
                    size_t(w) * 4);
    *width = w;
    *height = h;
    return true;
}

bool ReadDepth(Device* device, uint32_t x, uint32_t y, float* depth) {
    GlDevice* gl = AsGl(device);
    if (!gl || !depth || x >= gl->Width() || y >= gl->Height()) return false;
    gl->FlushPendingDraws();
    gl->MakeCurrent();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(GLint(x), GLint(gl->Height() - 1 - y), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, depth);
    return true;
}

bool ReadStencil(Device* device, uint32_t x, uint32_t y, uint32_t* stencil) {
    GlDevice* gl = AsGl(device);
    if (!gl || !stencil || x >= gl->Width() || y >= gl->Height()) return false;
    gl->FlushPendingDraws();
    gl->MakeCurrent();
    GLuint value = 0;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(GLint(x), GLint(gl->Height() - 1 - y), 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_INT, &value);
    *stencil = value;
    return true;
}

// --- services for the effect and font libraries ------------------------------

void SetEffectFactory(EffectFactory factory) { effectFactory = factory; }
void SetFontFactory(FontFactory factory) { fontFactory = factory; }

bool IsGlDevice(Device* device) { return AsGl(device) != nullptr; }

void MakeCurrent(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->MakeCurrent();
}

void FlushPendingDraws(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->FlushPendingDraws();
}

void InvalidateState(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->InvalidateState();
}

void AddLiveObject(Device* device) {
    if (GlDevice* gl = AsGl(device)) ++gl->Shared()->liveObjects;
}

void RemoveLiveObject(Device* device) {
    GlDevice* gl = AsGl(device);
    if (gl && gl->Shared()->liveObjects > 0) --gl->Shared()->liveObjects;
}

uint32_t GetTextureName(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->name : 0;
}

uint32_t GetTextureTarget(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->target : 0;
}

}  // namespace gfx::gl
