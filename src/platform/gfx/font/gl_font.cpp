// The font object of the OpenGL device.
//
// A DrawTextA call decodes and lays out the text on the CPU (TextBuilder),
// uploads atlas rows that gained glyphs, and appends the text's quads, each
// vertex with its colour, to a batch that the device holds back like its own
// merged draws (gl::HoldOverlay). At the device's next flush the whole batch
// goes into a ring of one vertex buffer and is drawn with one GL draw, with
// the font's own program, vertex array and texture. The state the text needs
// is set through the device's cache (gl::BeginOverlay), and the device's
// program is bound again afterwards: nothing is read back from GL.
#include <epoxy/gl.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/core/device_child.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/font/text_builder.h"
#include "platform/gfx/gl/gl_services.h"
#include "platform/gfx/null/null_backend.h"

namespace gfx::font {

namespace {

struct Vertex {
    float x, y;     // render-target pixels, y down
    float s, t;     // atlas texels
    uint32_t rgba;  // bytes R, G, B, A
};

// The vertex ring has kSegments segments, each with room for a batch of 1024
// glyphs (the HUD's seven lines have about 250); a longer one grows the ring.
constexpr GLsizeiptr kInitialSegmentVertices = 6 * 1024;
constexpr int kSegments = 4;

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

// On a null device (gl_ false) text is decoded, laid out and turned into
// vertices as on the OpenGL device; only the GL calls are left out.
class GlFont final : public DeviceChild<Font>, private gl::PendingOverlay {
public:
    GlFont(DeviceFront& device, bool gl) : DeviceChild<Font>(device), gl_(gl) {
        vertices_.reserve(static_cast<size_t>(kInitialSegmentVertices));
    }

    // Chooses the faces and builds the GL objects; false with a message.
    bool Init(FcConfig* config, const FontRequest& request, std::string* error) {
        if (!builder_.Open(config, request, error)) {
            return false;
        }
        if (!gl_) {
            return true;
        }
        gl::MakeCurrent(&Owner());
        program_ = gl::BuildProgram(kVertexShader, kFragmentShader, error);
        if (!program_) {
            return false;
        }
        // A unit far above the device's samplers and the effects' textures, so
        // that binding the atlas disturbs no texture of theirs.
        GLint units = 0;
        glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
        unit_ = units > 16 ? units - 1 : 15;
        glProgramUniform1i(program_, kAtlasUniform, unit_);

        glCreateVertexArrays(1, &vao_);
        glEnableVertexArrayAttrib(vao_, 0);
        glVertexArrayAttribFormat(vao_, 0, 2, GL_FLOAT, GL_FALSE, offsetof(Vertex, x));
        glVertexArrayAttribBinding(vao_, 0, 0);
        glEnableVertexArrayAttrib(vao_, 1);
        glVertexArrayAttribFormat(vao_, 1, 2, GL_FLOAT, GL_FALSE, offsetof(Vertex, s));
        glVertexArrayAttribBinding(vao_, 1, 0);
        glEnableVertexArrayAttrib(vao_, 2);
        glVertexArrayAttribFormat(vao_, 2, 4, GL_UNSIGNED_BYTE, GL_TRUE, offsetof(Vertex, rgba));
        glVertexArrayAttribBinding(vao_, 2, 0);
        CreateVertexBuffer(kInitialSegmentVertices);
        CreateAtlasTexture();
        return true;
    }

    int DrawTextA(void* /*sprite*/, const char* text, int count, Rect* rect, uint32_t format,
                  uint32_t color) override {
        if (!text || !DeviceAlive()) {
            return 0;
        }
        // Without a rectangle the text starts at the target's top left, unclipped.
        Rect area;
        if (rect) {
            area = *rect;
        } else {
            format |= DT_NOCLIP;
        }
        const uint32_t generation = builder_.Atlas().Generation();
        const int height = builder_.Build(text, count, area, format);
        if (format & DT_CALCRECT) {
            if (rect) {
                *rect = builder_.Extent();
            }
            return height;
        }
        const std::vector<Quad>& quads = builder_.Quads();
        if (quads.empty()) {
            return height;
        }
        // Text lands in render-target pixels and is clipped by the viewport,
        // as sprite text is on the device this one stands in for. A change
        // of viewport flushes the device, so a batch has one viewport.
        Viewport viewport;
        Owner().GetViewport(&viewport);
        if (viewport.width == 0 || viewport.height == 0) {
            return height;
        }
        if (gl_) {
            // The atlas started over: the batch held back samples glyphs that
            // are gone from it. It is drawn now, while the texture has them.
            if (!vertices_.empty() && generation != builder_.Atlas().Generation()) {
                gl::FlushPendingDraws(&Owner());
            }
            gl::MakeCurrent(&Owner());
            SyncAtlas();
            gl::HoldOverlay(&Owner(), this);
        }
        if (vertices_.empty()) {
            batchViewport_ = viewport;
        }
        Append(quads, color);
        if (!gl_) {
            vertices_.clear();
        }
        return height;
    }

private:
    ~GlFont() override {
        if (!gl_) {
            return;
        }
        gl::DropOverlay(&Owner(), this);
        gl::MakeCurrent(&Owner());
        glDeleteProgram(program_);
        glDeleteVertexArrays(1, &vao_);
        DeleteVertexBuffer();
        glDeleteTextures(1, &texture_);
    }

    // The vertex ring: persistently mapped, written with memcpy. A GL upload
    // call into a buffer that queued draws still read makes the driver
    // finish those draws first; writing through the mapping does not. Each
    // segment gets a fence when writing moves on to the next one, and is
    // written again only after that fence has passed.
    void CreateVertexBuffer(GLsizeiptr segmentVertices) {
        DeleteVertexBuffer();
        const GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
        const GLsizeiptr bytes =
            segmentVertices * kSegments * static_cast<GLsizeiptr>(sizeof(Vertex));
        glCreateBuffers(1, &buffer_);
        glNamedBufferStorage(buffer_, bytes, nullptr, flags);
        mapped_ = static_cast<Vertex*>(glMapNamedBufferRange(buffer_, 0, bytes, flags));
        glVertexArrayVertexBuffer(vao_, 0, buffer_, 0, sizeof(Vertex));
        segmentVertices_ = segmentVertices;
        cursor_ = 0;
    }

    void DeleteVertexBuffer() {
        for (GLsync& fence : fences_) {
            if (fence) {
                glDeleteSync(fence);
                fence = nullptr;
            }
        }
        if (buffer_) {
            // Draws already queued keep the storage alive until they are done.
            glUnmapNamedBuffer(buffer_);
            glDeleteBuffers(1, &buffer_);
            buffer_ = 0;
        }
        mapped_ = nullptr;
    }

    // Room for count vertices at cursor_, in one segment, no longer read by GL.
    void ReserveVertices(GLsizeiptr count) {
        if (count > segmentVertices_) {
            CreateVertexBuffer(count * 2);
            return;
        }
        // The segment being written holds the last vertex written; a cursor
        // on a segment boundary has filled that segment exactly (and at the
        // ring's end, the last one).
        const GLsizeiptr segment = cursor_ == 0 ? 0 : (cursor_ - 1) / segmentVertices_;
        if (cursor_ + count <= (segment + 1) * segmentVertices_) {
            return;
        }
        fences_[segment] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        const GLsizeiptr next = (segment + 1) % kSegments;
        cursor_ = next * segmentVertices_;
        if (GLsync fence = fences_[next]) {
            // Normally long signalled: the other segments were written since.
            while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000) ==
                   GL_TIMEOUT_EXPIRED) {
            }
            glDeleteSync(fence);
            fences_[next] = nullptr;
        }
    }

    void CreateAtlasTexture() {
        if (texture_) {
            glDeleteTextures(1, &texture_);
        }
        GlyphAtlas& atlas = builder_.Atlas();
        glCreateTextures(GL_TEXTURE_2D, 1, &texture_);
        glTextureStorage2D(texture_, 1, GL_R8, atlas.Width(), atlas.Height());
        textureHeight_ = atlas.Height();
        UploadAtlasRows(0, atlas.Height());
    }

    // Copies atlas rows [top, bottom) to the texture with tightly packed
    // unpack settings, restoring whatever unpack state was set before (this
    // happens only in the frames that add glyphs).
    void UploadAtlasRows(int top, int bottom) {
        GlyphAtlas& atlas = builder_.Atlas();
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
        glTextureSubImage2D(texture_, 0, 0, top, atlas.Width(), bottom - top, GL_RED,
                            GL_UNSIGNED_BYTE,
                            atlas.Pixels() + static_cast<size_t>(top) * atlas.Width());
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer));
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
    }

    void SyncAtlas() {
        GlyphAtlas& atlas = builder_.Atlas();
        if (atlas.Resized() || atlas.Height() != textureHeight_) {
            CreateAtlasTexture();
        } else if (atlas.IsDirty()) {
            UploadAtlasRows(atlas.DirtyTop(), atlas.DirtyBottom());
        }
        atlas.MarkClean();
    }

    void Append(const std::vector<Quad>& quads, uint32_t argb) {
        const uint8_t rgba[4] = {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                                 static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)};
        uint32_t c = 0;
        std::memcpy(&c, rgba, sizeof c);
        for (const Quad& q : quads) {
            const float x0 = static_cast<float>(q.x0), y0 = static_cast<float>(q.y0);
            const float x1 = static_cast<float>(q.x1), y1 = static_cast<float>(q.y1);
            const float s0 = static_cast<float>(q.atlasX), t0 = static_cast<float>(q.atlasY);
            const float s1 = s0 + (x1 - x0), t1 = t0 + (y1 - y0);
            vertices_.push_back({x0, y0, s0, t0, c});
            vertices_.push_back({x1, y0, s1, t0, c});
            vertices_.push_back({x0, y1, s0, t1, c});
            vertices_.push_back({x1, y0, s1, t0, c});
            vertices_.push_back({x1, y1, s1, t1, c});
            vertices_.push_back({x0, y1, s0, t1, c});
        }
    }

    // The device's flush: the batch in one draw.
    void DrawPending() override {
        const auto count = static_cast<GLsizeiptr>(vertices_.size());
        if (count == 0 || !DeviceAlive()) {
            vertices_.clear();
            return;
        }
        gl::MakeCurrent(&Owner());
        ReserveVertices(count);
        if (!mapped_) {
            vertices_.clear();
            return;
        }
        std::memcpy(mapped_ + cursor_, vertices_.data(), static_cast<size_t>(count) * sizeof(Vertex));
        vertices_.clear();

        // Text is solid, unculled, drawn over everything and blended by its
        // coverage, whatever the scene's states are.
        gl::BeginOverlay(&Owner(), program_, vao_);
        glBindTextureUnit(static_cast<GLuint>(unit_), texture_);
        const Viewport& v = batchViewport_;
        glProgramUniform4f(program_, kViewportUniform, static_cast<float>(v.x),
                           static_cast<float>(v.y), static_cast<float>(v.width),
                           static_cast<float>(v.height));
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(cursor_), static_cast<GLsizei>(count));
        cursor_ += count;
        gl::EndOverlay(&Owner());
    }

    TextBuilder builder_;
    std::vector<Vertex> vertices_;
    GLuint program_ = 0;
    GLuint vao_ = 0;
    GLuint buffer_ = 0;
    GLuint texture_ = 0;
    GLint unit_ = 15;
    int textureHeight_ = 0;
    Vertex* mapped_ = nullptr;
    GLsizeiptr segmentVertices_ = 0;
    GLsizeiptr cursor_ = 0;  // next free vertex of the ring
    GLsync fences_[kSegments] = {};
    Viewport batchViewport_;
    bool gl_;
};

}  // namespace

HRESULT CreateFontWithConfig(FcConfig* config, Device* device, int32_t height, uint32_t width,
                             uint32_t weight, int32_t italic, const char* faceName, Font** font) {
    if (!font) {
        return D3DERR_INVALIDCALL;
    }
    *font = nullptr;
    auto* front = dynamic_cast<DeviceFront*>(device);
    const bool gl = gl::IsGlDevice(device);
    if (!front || (!gl && !null::IsNullDevice(device))) {
        return D3DERR_INVALIDCALL;
    }
    FontRequest request;
    request.height = height;
    request.width = width;
    request.weight = weight;
    request.italic = italic != 0;
    request.faceName = faceName ? faceName : "";
    auto* created = new GlFont(*front, gl);
    std::string error;
    if (!created->Init(config, request, &error)) {
        LogLine("CreateFont: %s", error.c_str());
        created->Release();
        return E_FAIL;
    }
    *font = created;
    return S_OK;
}

HRESULT CreateFont(Device* device, int32_t height, uint32_t width, uint32_t weight,
                   uint32_t /*mipLevels*/, int32_t italic, uint32_t /*charSet*/,
                   uint32_t /*outputPrecision*/, uint32_t /*quality*/,
                   uint32_t /*pitchAndFamily*/, const char* faceName, Font** font) {
    return CreateFontWithConfig(nullptr, device, height, width, weight, italic, faceName, font);
}

void Install() {
    gl::SetFontFactory(&CreateFont);
    null::SetFontFactory(&CreateFont);
}

}  // namespace gfx::font
