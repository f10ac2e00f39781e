// What tests and benchmarks read from an OpenGL device and do beside it
// (gl_backend.h), and the device's read-back of its back buffer.
#include "platform/gfx/gl/gl_backend.h"

#include <cstring>

#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

namespace {

GlDevice* AsGl(Device* device) { return dynamic_cast<GlDevice*>(device); }

// The device with its merged draws sent and its context current; null for
// a device of another backend.
GlDevice* Flushed(Device* device) {
    GlDevice* gl = AsGl(device);
    if (!gl) return nullptr;
    gl->FlushPendingDraws();
    gl->MakeCurrent();
    return gl;
}

}  // namespace

HRESULT GlDevice::ReadBackBuffer(std::vector<uint8_t>* rgba) {
    FlushPendingDraws();
    MakeCurrent();
    uint32_t w = BackBufferWidth(), h = BackBufferHeight();
    std::vector<uint8_t> bottomUp(size_t(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    BindBackBuffer();
    glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL reads rows from the bottom up; hand them out top down.
    rgba->resize(bottomUp.size());
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(rgba->data() + size_t(y) * w * 4, bottomUp.data() + size_t(h - 1 - y) * w * 4,
                    size_t(w) * 4);
    return S_OK;
}

void SetDrawMerging(Device* device, bool enabled) {
    if (GlDevice* gl = AsGl(device)) gl->SetMerging(enabled);
}

uint64_t GetGlDrawCallCount(Device* device) {
    GlDevice* gl = AsGl(device);
    return gl ? gl->DrawCalls() : 0;
}

uint32_t GetGlErrorCount(Device* device) {
    GlDevice* gl = AsGl(device);
    return gl ? gl->GlErrors() : 0;
}

uint32_t GetTotalGlErrorCount() { return TotalGlErrors(); }

bool Finish(Device* device) {
    if (!Flushed(device)) return false;
    glFinish();
    return true;
}

bool ReadDepth(Device* device, uint32_t x, uint32_t y, float* depth) {
    GlDevice* gl = depth ? Flushed(device) : nullptr;
    if (!gl || x >= gl->BackBufferWidth() || y >= gl->BackBufferHeight()) return false;
    gl->BindBackBuffer();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(GLint(x), GLint(gl->BackBufferHeight() - 1 - y), 1, 1, GL_DEPTH_COMPONENT,
                 GL_FLOAT, depth);
    return true;
}

bool ReadStencil(Device* device, uint32_t x, uint32_t y, uint32_t* stencil) {
    GlDevice* gl = stencil ? Flushed(device) : nullptr;
    if (!gl || x >= gl->BackBufferWidth() || y >= gl->BackBufferHeight()) return false;
    GLuint value = 0;
    gl->BindBackBuffer();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(GLint(x), GLint(gl->BackBufferHeight() - 1 - y), 1, 1, GL_STENCIL_INDEX,
                 GL_UNSIGNED_INT, &value);
    *stencil = value;
    return true;
}

void MakeCurrent(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->MakeCurrent();
}

void FlushPendingDraws(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->FlushPendingDraws();
}

void InvalidateState(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->InvalidateState();
}

bool DrawsIntoWindow(Device* device) {
    GlDevice* gl = AsGl(device);
    return gl && gl->DrawsIntoWindow();
}

void UseProgram(Device* device, uint32_t program) {
    if (GlDevice* gl = AsGl(device)) gl->UseProgram(program);
}

uint32_t GetTextureName(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->ReadyName() : 0;
}

uint32_t GetTextureTarget(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->target : 0;
}

}  // namespace gfx::gl
