// What the OpenGL device offers effects (gl_services.h); the text overlay is
// in gl_overlay_text.cpp.
#include "platform/gfx/gl/gl_services.h"

#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

uint32_t GlServices::BuildProgram(const char* vertexSource, const char* fragmentSource,
                                  std::string* log) {
    device_.MakeCurrent();
    return gl::BuildProgram(vertexSource, fragmentSource, log);
}

void GlServices::DeleteProgram(uint32_t program) {
    device_.MakeCurrent();
    glDeleteProgram(program);
}

uint32_t GlServices::CreateUniformBuffer(const void* data, size_t size) {
    device_.MakeCurrent();
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferData(buffer, GLsizeiptr(size), data, GL_DYNAMIC_DRAW);
    return buffer;
}

void GlServices::WriteUniformBuffer(uint32_t buffer, size_t offset, size_t size, const void* data) {
    device_.MakeCurrent();
    glNamedBufferSubData(buffer, GLintptr(offset), GLsizeiptr(size), data);
}

void GlServices::DeleteUniformBuffer(uint32_t buffer) {
    device_.MakeCurrent();
    glDeleteBuffers(1, &buffer);
}

void GlServices::UseProgram(uint32_t program) { device_.UseProgram(program); }

void GlServices::BindUniformBuffer(uint32_t binding, uint32_t buffer) {
    device_.MakeCurrent();
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
}

void GlServices::BindTexture(uint32_t unit, BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    device_.MakeCurrent();
    glBindTextureUnit(unit, gl ? gl->ReadyName() : 0);
}

void GlServices::FlushPendingDraws() { device_.FlushPendingDraws(); }

void GlServices::HoldOverlay(PendingOverlay* overlay) { device_.HoldOverlay(overlay); }

void GlServices::DropOverlay(PendingOverlay* overlay) { device_.DropOverlay(overlay); }

}  // namespace gfx::gl
