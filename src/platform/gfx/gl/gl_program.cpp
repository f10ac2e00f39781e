// Programs from GLSL, and their binaries kept in the start-up cache where the
// driver offers program binaries (GL_NUM_PROGRAM_BINARY_FORMATS > 0): an
// entry is named by a hash of both stages' sources and of GL_VENDOR,
// GL_RENDERER and GL_VERSION, and holds the binary's format and bytes. A
// binary the driver refuses (GL_LINK_STATUS false after glProgramBinary) is
// built from its sources again and its entry rewritten.
#include <epoxy/gl.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/cache/cache_entry.h"
#include "platform/cache/cache_key.h"
#include "platform/gfx/gl/gl_backend.h"

namespace gfx::gl {

namespace {

// "PGB" and the entry layout's version.
constexpr uint32_t kBinaryTag = 0x00424750 | (1u << 24);
constexpr size_t kMaxBinaryBytes = size_t(64) << 20;

std::atomic<uint64_t> programsFromBinary{0};
std::atomic<uint64_t> programsFromSource{0};

std::string GlString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

std::vector<GLint> BinaryFormats() {
    GLint count = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &count);
    std::vector<GLint> formats(count > 0 ? size_t(count) : 0);
    if (count > 0) glGetIntegerv(GL_PROGRAM_BINARY_FORMATS, formats.data());
    return formats;
}

std::string BinaryName(const char* vertexSource, const char* fragmentSource) {
    disk_cache::CacheKey key;
    key.Add("reflect-refract GL program").Add(GlString(GL_VENDOR)).Add(GlString(GL_RENDERER));
    key.Add(GlString(GL_VERSION)).Add(vertexSource).Add(fragmentSource);
    return key.Hex() + ".glprogram";
}

// The program of entry name; 0 when there is none or the driver refuses it.
// A format the driver does not list is not handed to it (that would be a GL
// error, not a refusal).
GLuint LoadBinary(const std::string& folder, const std::string& name,
                  const std::vector<GLint>& formats) {
    std::string payload;
    if (!disk_cache::ReadEntry(folder, name, kBinaryTag, kMaxBinaryBytes, &payload) ||
        payload.size() <= 4)
        return 0;
    uint32_t format = 0;
    for (int i = 0; i < 4; ++i)
        format |= uint32_t(static_cast<uint8_t>(payload[size_t(i)])) << (8 * i);
    if (std::find(formats.begin(), formats.end(), GLint(format)) == formats.end()) return 0;
    GLuint program = glCreateProgram();
    glProgramBinary(program, format, payload.data() + 4, GLsizei(payload.size() - 4));
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) return program;
    glDeleteProgram(program);
    return 0;
}

void StoreBinary(const std::string& folder, const std::string& name, GLuint program) {
    GLint length = 0;
    glGetProgramiv(program, GL_PROGRAM_BINARY_LENGTH, &length);
    if (length <= 0 || size_t(length) > kMaxBinaryBytes) return;
    std::string payload(4 + size_t(length), '\0');
    GLenum format = 0;
    GLsizei written = 0;
    glGetProgramBinary(program, length, &written, &format, payload.data() + 4);
    if (written <= 0) return;
    payload.resize(4 + size_t(written));
    for (int i = 0; i < 4; ++i) payload[size_t(i)] = static_cast<char>((format >> (8 * i)) & 0xFF);
    std::string error;
    disk_cache::WriteEntry(folder, name, kBinaryTag, payload, &error);
}

// The info log of a shader or program, without its terminating zero.
template <typename GetInfo, typename GetLog>
std::string InfoLog(GLuint object, GetInfo getInfo, GetLog getLog) {
    GLint length = 0;
    getInfo(object, GL_INFO_LOG_LENGTH, &length);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) getLog(object, length, nullptr, text.data());
    // The log ends at its terminating zero.
    const size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return text;
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
    const std::string folder = disk_cache::CacheFolder("effects");
    const std::vector<GLint> formats = folder.empty() ? std::vector<GLint>() : BinaryFormats();
    const bool kept = !formats.empty();
    const std::string name = kept ? BinaryName(vertexSource, fragmentSource) : std::string();
    if (kept) {
        if (GLuint program = LoadBinary(folder, name, formats)) {
            ++programsFromBinary;
            return program;
        }
    }
    GLuint vertex = CompileStage(GL_VERTEX_SHADER, vertexSource, "vertex shader", log);
    if (!vertex) return 0;
    GLuint fragment = CompileStage(GL_FRAGMENT_SHADER, fragmentSource, "fragment shader", log);
    if (!fragment) {
        glDeleteShader(vertex);
        return 0;
    }
    GLuint program = glCreateProgram();
    if (kept) glProgramParameteri(program, GL_PROGRAM_BINARY_RETRIEVABLE_HINT, GL_TRUE);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) {
        ++programsFromSource;
        if (kept) StoreBinary(folder, name, program);
        return program;
    }
    if (log) *log = "link: " + InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
    glDeleteProgram(program);
    return 0;
}

ProgramBuildCounts GetProgramBuildCounts() {
    return {programsFromBinary.load(), programsFromSource.load()};
}

}  // namespace gfx::gl
