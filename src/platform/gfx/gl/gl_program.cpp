#include <epoxy/gl.h>

#include "platform/gfx/gl/gl_backend.h"

namespace gfx::gl {

namespace {

// The info log of a shader or program, without its terminating zero.
template <typename GetInfo, typename GetLog>
std::string InfoLog(GLuint object, GetInfo getInfo, GetLog getLog) {
    GLint length = 0;
    getInfo(object, GL_INFO_LOG_LENGTH, &length);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) getLog(object, length, nullptr, text.data());
    return text.c_str();
}

GLuint CompileStage(GLenum type, const char* source, const char* stage, std::string* log) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    if (log) *log = std::string(stage) + ": " + InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
    glDeleteShader(shader);
    return 0;
}

}  // namespace

uint32_t BuildProgram(const char* vertexSource, const char* fragmentSource, std::string* log) {
    GLuint vertex = CompileStage(GL_VERTEX_SHADER, vertexSource, "vertex shader", log);
    if (!vertex) return 0;
    GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, fragmentSource, "fragment shader", log);
    if (!fragment) {
        glDeleteShader(vertex);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) return program;
    if (log) *log = "link: " + InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
    glDeleteProgram(program);
    return 0;
}

}  // namespace gfx::gl
