// What the OpenGL device offers effects (device_services.h): programs,
// uniform buffers and texture units. The text overlay is in
// gl_overlay_text.cpp.
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

uint32_t GlDevice::BuildProgram(const char* vertexSource, const char* fragmentSource,
                                std::string* log) {
    MakeCurrent();
    return gl::BuildProgram(vertexSource, fragmentSource, log);
}

void GlDevice::DeleteProgram(uint32_t program) {
    MakeCurrent();
    glDeleteProgram(program);
}

uint32_t GlDevice::CreateUniformBuffer(const void* data, size_t size) {
    MakeCurrent();
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferData(buffer, GLsizeiptr(size), data, GL_DYNAMIC_DRAW);
    return buffer;
}

void GlDevice::WriteUniformBuffer(uint32_t buffer, size_t offset, size_t size, const void* data) {
    MakeCurrent();
    glNamedBufferSubData(buffer, GLintptr(offset), GLsizeiptr(size), data);
}

void GlDevice::DeleteUniformBuffer(uint32_t buffer) {
    MakeCurrent();
    glDeleteBuffers(1, &buffer);
}

void GlDevice::BindUniformBuffer(uint32_t binding, uint32_t buffer) {
    MakeCurrent();
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
}

void GlDevice::BindTexture(uint32_t unit, BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    MakeCurrent();
    glBindTextureUnit(unit, gl ? gl->ReadyName() : 0);
}

}  // namespace gfx::gl
