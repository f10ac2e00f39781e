// The OpenGL device's text overlay (device_services.h): each batch of a font's
// text goes into a persistently mapped vertex ring and is drawn with one GL
// draw, with the overlay's own program and vertex array and the font's atlas.
// The state the text needs is set through the device's cache (BeginOverlay),
// and the device's program is bound again afterwards: nothing is read back
// from GL.
#include <cstddef>
#include <cstring>

#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

namespace {

// The ring has kRingSegments segments, each with room for a batch of
// 1024 glyphs (the HUD's seven lines have about 250); a longer one grows it.
constexpr GLsizeiptr kInitialSegmentVertices = 6 * 1024;

constexpr const char* kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 pixel;
layout(location = 1) in vec2 texel;
layout(location = 2) in vec4 textColor;
// x, y, width, height of the viewport in render-target pixels, y down.
layout(location = 0) uniform vec4 viewport;
out vec2 atlasTexel;
out vec4 color;
void main() {
    vec2 unit = (pixel - viewport.xy) / viewport.zw;
    // Pixel rows run down, clip-space y runs up.
    gl_Position = vec4(unit.x * 2.0 - 1.0, 1.0 - unit.y * 2.0, 0.0, 1.0);
    atlasTexel = texel;
    color = textColor;
}
)";

// texelFetch: one atlas texel per pixel, independent of any sampler state.
constexpr const char* kFragmentShader = R"(#version 450 core
layout(location = 2) uniform sampler2D atlas;
in vec2 atlasTexel;
in vec4 color;
out vec4 fragColor;
void main() {
    float coverage = texelFetch(atlas, ivec2(atlasTexel), 0).r;
    fragColor = vec4(color.rgb, color.a * coverage);
}
)";

constexpr GLint kViewportUniform = 0;
constexpr GLint kAtlasUniform = 2;

}  // namespace

bool GlDevice::PrepareOverlay(std::string* error) {
    if (text_.program) return true;
    MakeCurrent();
    text_.program = gl::BuildProgram(kVertexShader, kFragmentShader, error);
    if (!text_.program) return false;
    // A unit far above the device's samplers and the effects' textures, so
    // that binding the atlas disturbs no texture of theirs.
    GLint units = 0;
    glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
    text_.unit = units > 16 ? units - 1 : 15;
    glProgramUniform1i(text_.program, kAtlasUniform, text_.unit);

    glCreateVertexArrays(1, &text_.vao);
    glEnableVertexArrayAttrib(text_.vao, 0);
    glVertexArrayAttribFormat(text_.vao, 0, 2, GL_FLOAT, GL_FALSE, offsetof(OverlayVertex, x));
    glVertexArrayAttribBinding(text_.vao, 0, 0);
    glEnableVertexArrayAttrib(text_.vao, 1);
    glVertexArrayAttribFormat(text_.vao, 1, 2, GL_FLOAT, GL_FALSE, offsetof(OverlayVertex, s));
    glVertexArrayAttribBinding(text_.vao, 1, 0);
    glEnableVertexArrayAttrib(text_.vao, 2);
    glVertexArrayAttribFormat(text_.vao, 2, 4, GL_UNSIGNED_BYTE, GL_TRUE,
                              offsetof(OverlayVertex, rgba));
    glVertexArrayAttribBinding(text_.vao, 2, 0);
    CreateRing(kInitialSegmentVertices);
    return true;
}

void GlDevice::ReleaseOverlay() {
    if (!text_.program) return;
    MakeCurrent();
    glDeleteProgram(text_.program);
    glDeleteVertexArrays(1, &text_.vao);
    DeleteRing();
    text_.program = 0;
}

// Written with memcpy through the mapping: a GL upload call into a buffer
// that queued draws still read makes the driver finish those draws first;
// writing through the mapping does not. Each segment gets a fence when
// writing moves on to the next one, and is written again only after that
// fence has passed.
void GlDevice::CreateRing(GLsizeiptr segmentVertices) {
    DeleteRing();
    const GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    const GLsizeiptr bytes = segmentVertices * kRingSegments * GLsizeiptr(sizeof(OverlayVertex));
    glCreateBuffers(1, &text_.buffer);
    glNamedBufferStorage(text_.buffer, bytes, nullptr, flags);
    auto* mapped = glMapNamedBufferRange(text_.buffer, 0, bytes, flags);
    text_.mapped = static_cast<OverlayVertex*>(mapped);
    glVertexArrayVertexBuffer(text_.vao, 0, text_.buffer, 0, sizeof(OverlayVertex));
    text_.segmentVertices = segmentVertices;
    text_.cursor = 0;
}

void GlDevice::DeleteRing() {
    for (GLsync& fence : text_.fences) {
        if (fence) glDeleteSync(fence);
        fence = nullptr;
    }
    if (text_.buffer) {
        // Draws already queued keep the storage alive until they are done.
        glUnmapNamedBuffer(text_.buffer);
        glDeleteBuffers(1, &text_.buffer);
        text_.buffer = 0;
    }
    text_.mapped = nullptr;
}

// Room for count vertices at text_.cursor, in one segment, no longer read by GL.
void GlDevice::ReserveVertices(GLsizeiptr count) {
    if (count > text_.segmentVertices) {
        CreateRing(count * 2);
        return;
    }
    // The segment being written holds the last vertex written; a cursor on a
    // segment boundary has filled that segment exactly (and at the ring's
    // end, the last one).
    const GLsizeiptr segment = text_.cursor == 0 ? 0 : (text_.cursor - 1) / text_.segmentVertices;
    if (text_.cursor + count <= (segment + 1) * text_.segmentVertices) return;
    text_.fences[segment] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    const GLsizeiptr next = (segment + 1) % kRingSegments;
    text_.cursor = next * text_.segmentVertices;
    if (GLsync fence = text_.fences[next]) {
        // Normally long signalled: the other segments were written since.
        while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000) ==
               GL_TIMEOUT_EXPIRED) {
        }
        glDeleteSync(fence);
        text_.fences[next] = nullptr;
    }
}

uint32_t GlDevice::CreateAtlas(int width, int height, std::string* error) {
    std::string ignored;
    if (!PrepareOverlay(error ? error : &ignored)) return 0;
    MakeCurrent();
    GLuint texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, GL_R8, width, height);
    return texture;
}

// Tightly packed rows, with whatever unpack state was set before put back
// (this happens only in the frames that add glyphs).
void GlDevice::WriteAtlasRows(uint32_t atlas, int width, int top, int bottom, const uint8_t* rows) {
    MakeCurrent();
    GLint unpackBuffer = 0, alignment = 4, rowLength = 0, skipRows = 0, skipPixels = 0;
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTextureSubImage2D(atlas, 0, 0, top, width, bottom - top, GL_RED, GL_UNSIGNED_BYTE, rows);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, GLuint(unpackBuffer));
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
}

void GlDevice::DeleteAtlas(uint32_t atlas) {
    MakeCurrent();
    glDeleteTextures(1, &atlas);
}

// Text is solid, unculled, drawn over everything and blended by its
// coverage, whatever the scene's states are.
void GlDevice::DrawOverlay(uint32_t atlas, const OverlayVertex* vertices, size_t count,
                           const Viewport& viewport) {
    MakeCurrent();
    ReserveVertices(GLsizeiptr(count));
    if (!text_.mapped) return;
    std::memcpy(text_.mapped + text_.cursor, vertices, count * sizeof(OverlayVertex));
    BeginOverlay(text_.program, text_.vao);
    glBindTextureUnit(GLuint(text_.unit), atlas);
    glProgramUniform4f(text_.program, kViewportUniform, float(viewport.x), float(viewport.y),
                       float(viewport.width), float(viewport.height));
    glDrawArrays(GL_TRIANGLES, GLint(text_.cursor), GLsizei(count));
    text_.cursor += GLsizeiptr(count);
    EndOverlay();
}

}  // namespace gfx::gl
