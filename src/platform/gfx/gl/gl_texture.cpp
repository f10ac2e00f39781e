// Textures and cube textures of the OpenGL backend, made of the files the
// front has read.
#include "platform/gfx/core/log.h"
#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

namespace {

struct GlFormat {
    GLenum internal = 0;
    GLenum format = 0;  // uncompressed only
    GLenum type = 0;
    bool compressed = false;
};

// The front lets a compressed format through only where S3TC is sampled.
GlFormat GlFormatOf(image::DdsFormat format) {
    switch (format) {
    // Direct3D's ARGB formats list channels from the high bit: in memory the
    // bytes run B, G, R, A.
    case image::DdsFormat::A8R8G8B8: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false};
    // No alpha channel: the internal format drops it, sampling returns alpha 1.
    case image::DdsFormat::X8R8G8B8: return {GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, false};
    case image::DdsFormat::A8B8G8R8: return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, false};
    // DXT1 blocks may hold punch-through alpha, as Direct3D reads them.
    case image::DdsFormat::DXT1: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true};
    case image::DdsFormat::DXT3: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true};
    case image::DdsFormat::DXT5: return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true};
    }
    return {};
}

void ResetUnpackState() {
    // Other code on the context may have changed these; uploads here assume
    // tightly packed rows.
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, 0);
    glPixelStorei(GL_UNPACK_SKIP_IMAGES, 0);
}

// Discards errors left by earlier calls so that an upload's own can be seen.
void DrainGlErrors() {
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

bool UploadFailed() {
    GLenum error = glGetError();
    DrainGlErrors();
    return error != GL_NO_ERROR;
}

// Uploads the DDS levels of face `face` (or face 0 as the only one for 2D).
// Row 0 of each level is the top of the picture, as Direct3D stores it;
// texture coordinate v = 0 addresses the first row in both APIs, so nothing
// is flipped. Cube faces likewise: both APIs take face rows top down, in the
// order +X, −X, +Y, −Y, +Z, −Z, and GL's cube face selection table was made
// to match Direct3D's, so the file's faces go to GL's layers unchanged.
void UploadDdsLevels(GLuint name, bool cube, uint32_t face, const image::DdsImage& dds,
                     const GlFormat& format, const uint8_t* bytes, uint32_t levels) {
    for (uint32_t level = 0; level < levels; ++level) {
        const image::DdsSpan& span = dds.Span(face, level);
        const uint8_t* data = bytes + span.offset;
        GLsizei w = GLsizei(span.width), h = GLsizei(span.height);
        if (cube) {
            if (format.compressed)
                glCompressedTextureSubImage3D(name, GLint(level), 0, 0, GLint(face), w, h, 1,
                                              format.internal, GLsizei(span.size), data);
            else
                glTextureSubImage3D(name, GLint(level), 0, 0, GLint(face), w, h, 1, format.format,
                                    format.type, data);
        } else {
            if (format.compressed)
                glCompressedTextureSubImage2D(name, GLint(level), 0, 0, w, h, format.internal,
                                              GLsizei(span.size), data);
            else
                glTextureSubImage2D(name, GLint(level), 0, 0, w, h, format.format, format.type,
                                    data);
        }
    }
}

}  // namespace

// --- objects --------------------------------------------------------------------

template <typename Base>
GlTexture<Base>::GlTexture(GlDevice& device, const TextureFile& file, GLenum textureTarget,
                           GLenum format)
    : Base(device, file) {
    target = textureTarget;
    glCreateTextures(target, 1, &name);
    glTextureStorage2D(name, GLsizei(file.levels), format, GLsizei(file.width),
                       GLsizei(file.height));
    glTextureParameteri(name, GL_TEXTURE_MAX_LEVEL, GLint(file.levels - 1));
}

template <typename Base>
GlTexture<Base>::~GlTexture() {
    GlDevice& device = DeviceOf(*this);
    device.FlushPendingDraws();
    device.MakeCurrent();
    glDeleteTextures(1, &name);
}

template <typename Base>
void GlTexture<Base>::MakeChain() {
    chainPending = false;
    DeviceOf(*this).MakeCurrent();
    glGenerateTextureMipmap(name);
}

template class GlTexture<TextureObject>;
template class GlTexture<CubeTextureObject>;

namespace {

// A texture made in memory: GL storage for every level, each level's
// processor copy (TextureObject) uploaded by the rectangle UnlockRect names.
class GlMemoryTexture final : public TextureObject, public GlTextureObject {
public:
    GlMemoryTexture(GlDevice& device, uint32_t width, uint32_t height, uint32_t levels,
                    Format format)
        : TextureObject(device, width, height, levels) {
        target = GL_TEXTURE_2D;
        glCreateTextures(target, 1, &name);
        // X8R8G8B8 keeps no alpha: sampling returns 1, as Direct3D's does.
        const GLenum internal = format == D3DFMT_X8R8G8B8 ? GL_RGB8 : GL_RGBA8;
        glTextureStorage2D(name, GLsizei(levels), internal, GLsizei(width), GLsizei(height));
        glTextureParameteri(name, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
        for (uint32_t level = 0; level < levels; ++level) UploadLevel(level, WholeLevel(level));
    }
    ~GlMemoryTexture() override {
        GlDevice& device = DeviceOf(*this);
        device.FlushPendingDraws();
        device.MakeCurrent();
        glDeleteTextures(1, &name);
    }

protected:
    void MakeChain() override {}
    // Bytes B, G, R, A in memory, as Direct3D's ARGB formats hold them.
    void UploadLevel(uint32_t level, const Rect& area) override {
        GlDevice& device = DeviceOf(*this);
        device.FlushPendingDraws();  // draws made before read the old texels
        device.MakeCurrent();
        ResetUnpackState();
        glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(GetWidth(level)));
        const uint8_t* first =
            LevelBytes(level).data() + (size_t(area.top) * GetWidth(level) + area.left) * 4;
        glTextureSubImage2D(name, GLint(level), area.left, area.top, area.right - area.left,
                            area.bottom - area.top, GL_BGRA, GL_UNSIGNED_BYTE, first);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }

private:
    Rect WholeLevel(uint32_t level) const {
        return Rect{0, 0, int32_t(GetWidth(level)), int32_t(GetHeight(level))};
    }
};

}  // namespace

// --- making -------------------------------------------------------------------------
//
// The front has read, checked and decoded the file (texture_file.h): its
// format is one this context samples, its size fits. What GL refuses still
// leaves the device as it was.

namespace {

HRESULT Reject(const char* what) {
    LogLine("cannot load texture: GL rejected the upload of %s", what);
    return E_FAIL;
}

}  // namespace

HRESULT GlDevice::MakeTexture(const TextureFile& file, Texture** texture) {
    FlushPendingDraws();
    MakeCurrent();
    ResetUnpackState();
    DrainGlErrors();
    const GlFormat format = file.dds ? GlFormatOf(file.layout.format) : GlFormat{GL_RGBA8};
    auto* result = new GlTexture<TextureObject>(*this, file, GL_TEXTURE_2D, format.internal);
    if (file.dds) {
        UploadDdsLevels(result->name, false, 0, file.layout, format, file.bytes.data(),
                        file.levels);
    } else {
        // Like the utility library's default: a full mip chain made from the
        // picture, uploaded from the decoder's block as it is. The chain is
        // generated when the texture is first sampled (GlTextureObject).
        glTextureSubImage2D(result->name, 0, 0, 0, GLsizei(file.width), GLsizei(file.height),
                            GL_RGBA, GL_UNSIGNED_BYTE, file.picture.pixels.get());
        result->chainPending = file.levels > 1;
    }
    if (UploadFailed()) {
        result->Release();
        return Reject("a texture");
    }
    *texture = result;
    return S_OK;
}

HRESULT GlDevice::MakeMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, Format format,
                                    Texture** texture) {
    FlushPendingDraws();
    MakeCurrent();
    DrainGlErrors();
    auto* result = new GlMemoryTexture(*this, width, height, levels, format);
    if (UploadFailed()) {
        result->Release();
        return Reject("a texture made in memory");
    }
    *texture = result;
    return S_OK;
}

HRESULT GlDevice::MakeCubeTexture(const TextureFile& file, CubeTexture** texture) {
    FlushPendingDraws();
    MakeCurrent();
    ResetUnpackState();
    DrainGlErrors();
    const GlFormat format = GlFormatOf(file.layout.format);
    auto* result =
        new GlTexture<CubeTextureObject>(*this, file, GL_TEXTURE_CUBE_MAP, format.internal);
    for (uint32_t face = 0; face < 6; ++face)
        UploadDdsLevels(result->name, true, face, file.layout, format, file.bytes.data(),
                        file.levels);
    if (UploadFailed()) {
        result->Release();
        return Reject("a cube texture");
    }
    *texture = result;
    return S_OK;
}

}  // namespace gfx::gl
