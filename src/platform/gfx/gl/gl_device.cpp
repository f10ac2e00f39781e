#include "platform/gfx/gl/gl_device.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/gfx/core/log.h"
#include "platform/window/core/native_window.h"

namespace gfx::gl {

namespace {

// A D3DBLEND value as GL's blend factor (the front accepts ZERO .. SRCALPHASAT).
GLenum GlBlendFactor(uint32_t blend) {
    static constexpr GLenum kFactors[] = {GL_ZERO,  // no D3DBLEND 0
                                          GL_ZERO,
                                          GL_ONE,
                                          GL_SRC_COLOR,
                                          GL_ONE_MINUS_SRC_COLOR,
                                          GL_SRC_ALPHA,
                                          GL_ONE_MINUS_SRC_ALPHA,
                                          GL_DST_ALPHA,
                                          GL_ONE_MINUS_DST_ALPHA,
                                          GL_DST_COLOR,
                                          GL_ONE_MINUS_DST_COLOR,
                                          GL_SRC_ALPHA_SATURATE};
    return blend < std::size(kFactors) ? kFactors[blend] : GL_ONE;
}

uint32_t totalGlErrors = 0;

GLenum ModeOf(PrimitiveType type) {
    switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    }
    return GL_TRIANGLES;  // the front lets no other type through
}

GLenum FilterOf(uint32_t filter) {
    return filter == D3DTEXF_POINT || filter == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR;
}

GLenum MinFilterOf(uint32_t min, uint32_t mip) {
    bool linear = min != D3DTEXF_POINT && min != D3DTEXF_NONE;
    switch (mip) {
    case D3DTEXF_NONE: return linear ? GL_LINEAR : GL_NEAREST;
    case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    default: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
}

}  // namespace

uint32_t TotalGlErrors() { return totalGlErrors; }

void GLAPIENTRY GlDevice::OnDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                                         GLsizei /*length*/, const GLchar* message,
                                         const void* user) {
    // A shader GL refuses is a build result, handed back with its log by
    // BuildProgram; only misuse of the API counts as an error here.
    if (type != GL_DEBUG_TYPE_ERROR || source == GL_DEBUG_SOURCE_SHADER_COMPILER) return;
    ++const_cast<GlDevice*>(static_cast<const GlDevice*>(user))->glErrors_;
    ++totalGlErrors;
    LogLine("GL error %u (severity 0x%x): %s", id, severity, message);
}

namespace {

TextureSupport SupportOf(const GlContext& context) {
    TextureSupport support;
    support.maxEdge = context.maxTextureSize > 0 ? uint32_t(context.maxTextureSize) : 0;
    support.blockCompressed = context.hasS3tc;
    return support;
}

}  // namespace

GlDevice::GlDevice(const GlContext& context, uint32_t width, uint32_t height, bool depth,
                   bool alpha, bool merge, const EffectAndFontMakers& makers)
    : DeviceFront(width, height, depth, makers, SupportOf(context)), context_(context) {
    SetDrawMerging(merge);
    const char* report = std::getenv("RR_REPORT_FIRST_PRESENT");
    reportFirstPresent_ = report && report[0] == '1';
    if (const char* upload = std::getenv("RR_GL_BUFFER_UPLOAD")) {
        if (std::strcmp(upload, "copy") == 0) upload_ = BufferUpload::Copy;
        if (std::strcmp(upload, "ring") == 0) upload_ = BufferUpload::Ring;
        if (std::strcmp(upload, "orphan") == 0) upload_ = BufferUpload::Orphan;
    }
    MakeCurrent();
    if (context_.debug) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(OnDebugMessage, this);
    }
    windowMatches_ = WindowMatchesBackBuffer(alpha);
    CreateBackBuffer();
    glCreateVertexArrays(1, &vao_);
    glCreateSamplers(rules::kSamplerCount, samplerNames_);
    for (uint32_t i = 0; i < rules::kSamplerCount; ++i) ApplySampler(i);
}

// Runs when the device and every object made on it are gone (device.h).
GlDevice::~GlDevice() {
    MakeCurrent();
    ReleaseOverlay();
    ReleasePresent();
    glDeleteSamplers(rules::kSamplerCount, samplerNames_);
    glDeleteVertexArrays(1, &vao_);
    DeleteBackBuffer();
    if (context_.debug) {
        glDebugMessageCallback(nullptr, nullptr);
        // What a soak or a person running with RR_GL_DEBUG=1 checks at the end.
        LogLine("gl errors: %u", glErrors_);
    }
    context_.window->MakeGlContextCurrent(nullptr);
    context_.window->DeleteGlContext(context_.context);
}

void GlDevice::CreateBackBuffer() {
    const GLsizei width = GLsizei(std::max<uint32_t>(BackBufferWidth(), 1));
    const GLsizei height = GLsizei(std::max<uint32_t>(BackBufferHeight(), 1));
    // A texture, not a renderbuffer: presenting reads it in a shader (gl_present.cpp).
    glCreateTextures(GL_TEXTURE_2D, 1, &backBuffer_.color);
    glTextureStorage2D(backBuffer_.color, 1, GL_RGBA8, width, height);
    glCreateRenderbuffers(1, &backBuffer_.depthStencil);
    glNamedRenderbufferStorage(backBuffer_.depthStencil, GL_DEPTH24_STENCIL8, width, height);
    glCreateFramebuffers(1, &backBuffer_.framebuffer);
    glNamedFramebufferTexture(backBuffer_.framebuffer, GL_COLOR_ATTACHMENT0, backBuffer_.color, 0);
    glNamedFramebufferRenderbuffer(backBuffer_.framebuffer, GL_DEPTH_STENCIL_ATTACHMENT,
                                   GL_RENDERBUFFER, backBuffer_.depthStencil);
    glNamedFramebufferDrawBuffer(backBuffer_.framebuffer, GL_COLOR_ATTACHMENT0);
    glNamedFramebufferReadBuffer(backBuffer_.framebuffer, GL_COLOR_ATTACHMENT0);
    GLenum status = glCheckNamedFramebufferStatus(backBuffer_.framebuffer, GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        LogLine("GL back buffer incomplete (status 0x%x)", status);
    drawn_ = backBuffer_.framebuffer;
    ChooseDrawTarget();
    BindBackBuffer();
}

void GlDevice::DeleteBackBuffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &backBuffer_.framebuffer);
    glDeleteTextures(1, &backBuffer_.color);
    glDeleteRenderbuffers(1, &backBuffer_.depthStencil);
    backBuffer_ = BackBuffer{};
    drawn_ = 0;
}

void GlDevice::MakeCurrent() const { context_.window->MakeGlContextCurrent(context_.context); }

void GlDevice::SetMerging(bool enabled) {
    FlushPendingDraws();
    SetDrawMerging(enabled);
}

// --- state ------------------------------------------------------------------

// Sampler parameters are object state, not context state: set at once,
// after the draws made with the old filter (BeforeChange).
void GlDevice::SamplerChanged(uint32_t sampler) {
    MakeCurrent();
    ApplySampler(sampler);
}

void GlDevice::ApplySampler(uint32_t index) {
    GLint mag = GLint(FilterOf(SamplerValue(index, D3DSAMP_MAGFILTER)));
    GLint min = GLint(MinFilterOf(SamplerValue(index, D3DSAMP_MINFILTER),
                                  SamplerValue(index, D3DSAMP_MIPFILTER)));
    glSamplerParameteri(samplerNames_[index], GL_TEXTURE_MAG_FILTER, mag);
    glSamplerParameteri(samplerNames_[index], GL_TEXTURE_MIN_FILTER, min);
}

GlRasterState GlDevice::WantedRaster() const {
    GlRasterState r;
    uint32_t fillMode = StateValue(D3DRS_FILLMODE);
    r.polygonMode = fillMode == D3DFILL_SOLID       ? GL_FILL
                    : fillMode == D3DFILL_WIREFRAME ? GL_LINE
                                                    : GL_POINT;
    // Direct3D judges winding as the viewer sees the triangle on screen, and
    // so does GL (window coordinates keep the picture's orientation; GL's
    // counter-clockwise front face is what the viewer sees counter-clockwise).
    // D3DCULL_CW culls clockwise triangles = GL's back faces; D3DCULL_CCW the
    // counter-clockwise ones = GL's front faces.
    uint32_t cullMode = StateValue(D3DRS_CULLMODE);
    r.cull = cullMode != D3DCULL_NONE;
    r.cullFace = cullMode == D3DCULL_CCW ? GL_FRONT : GL_BACK;
    r.depthTest = StateValue(D3DRS_ZENABLE) != D3DZB_FALSE;
    r.depthWrite = StateValue(D3DRS_ZWRITEENABLE) != 0;
    r.blend = StateValue(D3DRS_ALPHABLENDENABLE) != 0;
    r.sourceBlend = GlBlendFactor(StateValue(D3DRS_SRCBLEND));
    r.destinationBlend = GlBlendFactor(StateValue(D3DRS_DESTBLEND));
    // Direct3D's viewport origin is the top left corner, GL's the bottom left.
    const Viewport& viewport = CurrentViewport();
    r.viewport[0] = GLint(viewport.x);
    r.viewport[1] = GLint(BackBufferHeight()) - GLint(viewport.y + viewport.height);
    r.viewport[2] = GLint(viewport.width);
    r.viewport[3] = GLint(viewport.height);
    r.depthRange[0] = viewport.minZ;
    r.depthRange[1] = viewport.maxZ;
    // The scissor rectangle likewise, turned upside down.
    const Rect& scissor = CurrentScissor();
    r.scissor = StateValue(D3DRS_SCISSORTESTENABLE) != 0;
    r.scissorBox[0] = GLint(scissor.left);
    r.scissorBox[1] = GLint(BackBufferHeight()) - GLint(scissor.bottom);
    r.scissorBox[2] = GLint(scissor.right - scissor.left);
    r.scissorBox[3] = GLint(scissor.bottom - scissor.top);
    return r;
}

void GlDevice::ApplyScissor(const GlRasterState& want, bool known) {
    if (!known || want.scissor != applied_.scissor)
        (want.scissor ? glEnable : glDisable)(GL_SCISSOR_TEST);
    if (!known || std::memcmp(want.scissorBox, applied_.scissorBox, sizeof want.scissorBox) != 0)
        glScissor(want.scissorBox[0], want.scissorBox[1], want.scissorBox[2], want.scissorBox[3]);
}

void GlDevice::ApplyState() {
    GlRasterState want = WantedRaster();
    bool all = !appliedValid_;
    if (all) {
        // Values the device never changes, re-established after outside code
        // may have touched them.
        BindBackBuffer();
        glDepthFunc(GL_LEQUAL);  // Direct3D's default depth comparison
        glFrontFace(GL_CCW);
        glDisable(GL_STENCIL_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glBlendEquation(GL_FUNC_ADD);
        glBindSamplers(0, rules::kSamplerCount, samplerNames_);
        inputDirty_ = true;
        appliedElementBuffer_ = ~0u;
    }
    if (all || !vaoBound_) {
        glBindVertexArray(vao_);
        vaoBound_ = true;
    }
    // Alpha blending with D3DRS_SRCBLEND and D3DRS_DESTBLEND.
    if (all || want.overlayBlend != applied_.overlayBlend ||
        want.sourceBlend != applied_.sourceBlend ||
        want.destinationBlend != applied_.destinationBlend)
        glBlendFunc(want.sourceBlend, want.destinationBlend);
    if (all || want.polygonMode != applied_.polygonMode)
        glPolygonMode(GL_FRONT_AND_BACK, want.polygonMode);
    if (all || want.cull != applied_.cull) (want.cull ? glEnable : glDisable)(GL_CULL_FACE);
    if (all || want.cullFace != applied_.cullFace) glCullFace(want.cullFace);
    if (all || want.depthTest != applied_.depthTest)
        (want.depthTest ? glEnable : glDisable)(GL_DEPTH_TEST);
    if (all || want.depthWrite != applied_.depthWrite)
        glDepthMask(want.depthWrite ? GL_TRUE : GL_FALSE);
    if (all || want.blend != applied_.blend) (want.blend ? glEnable : glDisable)(GL_BLEND);
    if (all || std::memcmp(want.viewport, applied_.viewport, sizeof want.viewport) != 0)
        glViewport(want.viewport[0], want.viewport[1], want.viewport[2], want.viewport[3]);
    if (all || want.depthRange[0] != applied_.depthRange[0] ||
        want.depthRange[1] != applied_.depthRange[1])
        glDepthRangef(want.depthRange[0], want.depthRange[1]);
    ApplyScissor(want, !all);
    applied_ = want;
    appliedValid_ = true;

    if (inputDirty_) {
        for (uint32_t location = 0; location <= kColorLocation; ++location)
            glDisableVertexArrayAttrib(vao_, location);
        if (auto* declaration = static_cast<GlVertexDeclaration*>(BoundDeclaration())) {
            for (const GlAttribute& a : declaration->Attributes()) {
                glEnableVertexArrayAttrib(vao_, a.location);
                if (a.bgra)
                    glVertexArrayAttribFormat(vao_, a.location, GL_BGRA, a.type, a.normalized,
                                              a.offset);
                else
                    glVertexArrayAttribFormat(vao_, a.location, a.components, a.type, a.normalized,
                                              a.offset);
                glVertexArrayAttribBinding(vao_, a.location, a.stream);
            }
        }
        for (uint32_t s = 0; s < rules::kStreamCount; ++s) {
            const StreamBinding& b = Stream(s);
            auto* buffer = static_cast<GlVertexBuffer*>(b.buffer.get());
            GLuint name = buffer ? buffer->Name() : 0;
            GLintptr offset = GLintptr(b.offset) + (buffer ? buffer->Offset() : 0);
            glVertexArrayVertexBuffer(vao_, s, name, offset, GLsizei(b.stride));
        }
        inputDirty_ = false;
    }
    GLuint elements = BoundIndices() ? static_cast<GlIndexBuffer*>(BoundIndices())->Name() : 0;
    if (elements != appliedElementBuffer_) {
        glVertexArrayElementBuffer(vao_, elements);
        appliedElementBuffer_ = elements;
    }
}

// --- frame ------------------------------------------------------------------

void GlDevice::ClearTargets(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color,
                            float z, uint32_t stencil) {
    FlushPendingDraws();
    MakeCurrent();
    BindBackBuffer();
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
    // Direct3D clears the viewport, or the given rectangles within it, and
    // within the scissor rectangle while that test is on. Rects have their
    // origin top left; GL's scissor box bottom left.
    const Viewport& viewport = CurrentViewport();
    const bool scissored = StateValue(D3DRS_SCISSORTESTENABLE) != 0;
    const Rect& scissor = CurrentScissor();
    glEnable(GL_SCISSOR_TEST);
    auto clearBox = [&](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        int64_t l = std::max<int64_t>(left, viewport.x);
        int64_t t = std::max<int64_t>(top, viewport.y);
        int64_t r = std::min<int64_t>(right, int64_t(viewport.x) + viewport.width);
        int64_t b = std::min<int64_t>(bottom, int64_t(viewport.y) + viewport.height);
        if (scissored) {
            l = std::max<int64_t>(l, scissor.left);
            t = std::max<int64_t>(t, scissor.top);
            r = std::min<int64_t>(r, scissor.right);
            b = std::min<int64_t>(b, scissor.bottom);
        }
        if (r <= l || b <= t) return;
        glScissor(GLint(l), GLint(int64_t(BackBufferHeight()) - b), GLsizei(r - l), GLsizei(b - t));
        glClear(mask);
    };
    if (count == 0) {
        clearBox(viewport.x, viewport.y, int64_t(viewport.x) + viewport.width,
                 int64_t(viewport.y) + viewport.height);
    } else {
        for (uint32_t i = 0; i < count; ++i)
            clearBox(rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    }
    // GL's scissor as the draws had it.
    if (appliedValid_) {
        glDepthMask(applied_.depthWrite ? GL_TRUE : GL_FALSE);
        glScissor(applied_.scissorBox[0], applied_.scissorBox[1], applied_.scissorBox[2],
                  applied_.scissorBox[3]);
    }
    if (!appliedValid_ || !applied_.scissor) glDisable(GL_SCISSOR_TEST);
}

void GlDevice::PresentFrame() {
    FlushPendingDraws();
    MakeCurrent();
    if (!DrawsIntoWindow()) CopyToWindow();
    context_.window->SwapGlBuffers();
    ChooseDrawTarget();
    if (reportFirstPresent_) {
        // For the start-up benchmark, which times the program from exec to this line.
        reportFirstPresent_ = false;
        std::fprintf(stderr, "gfx: first frame presented\n");
    }
}

void GlDevice::BackBufferResized() {
    FlushPendingDraws();
    MakeCurrent();
    DeleteBackBuffer();
    CreateBackBuffer();
    // The viewport the front now holds reaches GL at the next draw.
    appliedValid_ = false;
}

void GlDevice::WaitForRefresh(bool wait) {
    // The swap interval belongs to the context that is current.
    MakeCurrent();
    context_.window->SetGlSwapInterval(wait ? 1 : 0);
}

// --- drawing ----------------------------------------------------------------

void GlDevice::IssueDraw(GLenum mode, uint32_t first, uint32_t count) {
    MakeCurrent();
    ApplyState();
    glDrawArrays(mode, GLint(first), GLsizei(count));
    ++drawCalls_;
}

// A run the front holds is sent first: it was begun after any overlay held
// (holding an overlay sends the run), and DrawVertices draws that overlay
// before the run.
void GlDevice::FlushPendingDraws() {
    SendHeldDraws();
    SendOverlay();
}

void GlDevice::SendOverlay() {
    if (!overlay_) return;
    PendingOverlay* overlay = overlay_;
    overlay_ = nullptr;
    overlay->DrawPending();
}

void GlDevice::HoldOverlay(PendingOverlay* overlay) {
    if (overlay_ == overlay) return;
    FlushPendingDraws();
    overlay_ = overlay;
}

void GlDevice::DropOverlay(PendingOverlay* overlay) {
    if (overlay_ == overlay) overlay_ = nullptr;
}

void GlDevice::UseProgram(GLuint program) {
    FlushPendingDraws();
    MakeCurrent();
    program_ = program;
    glUseProgram(program);
}

void GlDevice::BeginOverlay(GLuint program, GLuint vertexArray) {
    MakeCurrent();
    GlRasterState want = WantedRaster();
    want.polygonMode = GL_FILL;
    want.cull = false;
    want.depthTest = false;
    want.depthWrite = false;
    want.blend = true;
    want.overlayBlend = true;
    const bool known = appliedValid_;
    if (!known || want.polygonMode != applied_.polygonMode)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (!known || applied_.cull) glDisable(GL_CULL_FACE);
    if (!known || applied_.depthTest) glDisable(GL_DEPTH_TEST);
    if (!known || applied_.depthWrite) glDepthMask(GL_FALSE);
    if (!known || !applied_.blend) glEnable(GL_BLEND);
    // Coverage blends the colour; the target's alpha accumulates coverage.
    if (!known || !applied_.overlayBlend)
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    if (!known || std::memcmp(want.viewport, applied_.viewport, sizeof want.viewport) != 0)
        glViewport(want.viewport[0], want.viewport[1], want.viewport[2], want.viewport[3]);
    // Text is cut by the scissor rectangle as any draw is.
    ApplyScissor(want, known);
    if (known) applied_ = want;
    glUseProgram(program);
    glBindVertexArray(vertexArray);
    vaoBound_ = false;
}

void GlDevice::EndOverlay() {
    glUseProgram(program_);
    ++drawCalls_;
}

void GlDevice::DrawVertices(PrimitiveType type, uint32_t startVertex, uint32_t vertexCount) {
    SendOverlay();
    IssueDraw(ModeOf(type), startVertex, vertexCount);
}

void GlDevice::DrawIndexed(PrimitiveType type, int32_t baseVertexIndex, uint32_t startIndex,
                           uint32_t indexCount) {
    FlushPendingDraws();
    MakeCurrent();
    ApplyState();
    auto* indices = static_cast<GlIndexBuffer*>(BoundIndices());
    GLenum indexType = indices->IndexSize() == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    glDrawElementsBaseVertex(
        ModeOf(type), GLsizei(indexCount), indexType,
        reinterpret_cast<const void*>(uintptr_t(startIndex) * indices->IndexSize()),
        baseVertexIndex);
    ++drawCalls_;
}

}  // namespace gfx::gl
