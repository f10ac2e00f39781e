// Textures and cube textures of the OpenGL backend, loaded from files.
#include <cstdio>

#include "platform/gfx/core/log.h"
#include "platform/gfx/gl/gl_device.h"
#include "platform/gfx/image/dds.h"
#include "platform/gfx/image/image.h"
#include "platform/gfx/image/texture_limits.h"
#include "platform/files.h"

namespace gfx::gl {

namespace {

uint32_t FullChainLength(uint32_t width, uint32_t height) {
    uint32_t edge = std::max(width, height), levels = 1;
    while (edge > 1) {
        edge >>= 1;
        ++levels;
    }
    return levels;
}

uint32_t LevelEdge(uint32_t edge, uint32_t level) {
    uint32_t e = level < 32 ? edge >> level : 0;
    return e ? e : 1;
}

struct GlFormat {
    GLenum internal = 0;
    GLenum format = 0;  // uncompressed only
    GLenum type = 0;
    bool compressed = false;
};

bool GlFormatOf(image::DdsFormat format, bool hasS3tc, GlFormat* gl) {
    switch (format) {
    // Direct3D's ARGB formats list channels from the high bit: in memory the
    // bytes run B, G, R, A.
    case image::DdsFormat::A8R8G8B8: *gl = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false}; return true;
    // No alpha channel: the internal format drops it, sampling returns alpha 1.
    case image::DdsFormat::X8R8G8B8: *gl = {GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, false}; return true;
    case image::DdsFormat::A8B8G8R8: *gl = {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, false}; return true;
    // DXT1 blocks may hold punch-through alpha, as Direct3D reads them.
    case image::DdsFormat::DXT1: *gl = {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true}; return hasS3tc;
    case image::DdsFormat::DXT3: *gl = {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true}; return hasS3tc;
    case image::DdsFormat::DXT5: *gl = {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true}; return hasS3tc;
    }
    return false;
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
                glTextureSubImage2D(name, GLint(level), 0, 0, w, h, format.format, format.type, data);
        }
    }
}

HRESULT Reject(const char* path, const std::string& why) {
    LogLine("cannot load texture %s: %s", ResolvePath(path).c_str(), why.c_str());
    return E_FAIL;
}

// A file that could not be read; the reason names the path.
HRESULT RejectRead(const std::string& why) {
    LogLine("cannot load texture %s", why.c_str());
    return E_FAIL;
}

}  // namespace

// --- objects --------------------------------------------------------------------

template <typename Interface>
GlTextureChild<Interface>::GlTextureChild(GlDevice& device, GLenum textureTarget)
    : DeviceChild<Interface>(device) {
    target = textureTarget;
}

template <typename Interface>
GlTextureChild<Interface>::~GlTextureChild() {
    GlDevice& device = DeviceOf(*this);
    device.FlushPendingDraws();
    device.MakeCurrent();
    glDeleteTextures(1, &name);
}

template <typename Interface>
void GlTextureChild<Interface>::MakeChain() {
    chainPending = false;
    DeviceOf(*this).MakeCurrent();
    glGenerateTextureMipmap(name);
}

template class GlTextureChild<Texture>;
template class GlTextureChild<CubeTexture>;

uint32_t GlTexture::GetWidth(uint32_t level) const { return level < levels ? LevelEdge(width, level) : 0; }
uint32_t GlTexture::GetHeight(uint32_t level) const { return level < levels ? LevelEdge(height, level) : 0; }

uint32_t GlCubeTexture::GetEdgeLength(uint32_t level) const { return level < levels ? LevelEdge(edge, level) : 0; }

// --- loading ----------------------------------------------------------------------
//
// A file is read, parsed or decoded and its size checked against the
// device's largest texture and the texture budget before any GL call: a file
// that is refused leaves the context and the device exactly as they were.

namespace {

image::TextureLimits LimitsOf(const GlContext& shared) {
    image::TextureLimits limits;
    limits.maxEdge = shared.maxTextureSize > 0 ? uint32_t(shared.maxTextureSize) : 0;
    return limits;
}

// Whether `faces` faces of a parsed DDS file fit this device: format, size, budget.
bool FitsDevice(const GlContext& shared, const image::DdsImage& dds, uint32_t faces,
                GlFormat* format, std::string* error) {
    if (!GlFormatOf(dds.format, shared.hasS3tc, format)) {
        *error = "DXT-compressed, which this GL cannot sample";
        return false;
    }
    uint64_t levelBytes = image::DdsLevelSize(dds.format, dds.width, dds.height);
    return image::CheckTextureSize(dds.width, dds.height, faces, levelBytes * faces,
                                   LimitsOf(shared), error);
}

}  // namespace

HRESULT LoadTexture(GlDevice& device, const char* path, Texture** texture) {
    const GlContext& shared = device.Context();
    *texture = nullptr;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, file_limits::kTexture, &bytes, &error)) return RejectRead(error);

    const bool isDds = image::LooksLikeDds(bytes.data(), bytes.size());
    image::DdsImage dds;
    GlFormat format;
    image::RgbaImage picture;
    if (isDds) {
        // A cube map file loaded as a 2D texture gives its first face.
        if (!image::ParseDds(bytes.data(), bytes.size(), &dds, &error) ||
            !FitsDevice(shared, dds, 1, &format, &error))
            return Reject(path, error);
    } else {
        if (!image::DecodeImage(bytes.data(), bytes.size(), LimitsOf(shared), &picture, &error))
            return Reject(path, error);
        std::vector<uint8_t>().swap(bytes);  // the file is no longer needed
    }

    ResetUnpackState();
    DrainGlErrors();
    auto* result = new GlTexture(device);
    glCreateTextures(GL_TEXTURE_2D, 1, &result->name);
    if (isDds) {
        glTextureStorage2D(result->name, GLsizei(dds.levels), format.internal, GLsizei(dds.width),
                           GLsizei(dds.height));
        UploadDdsLevels(result->name, false, 0, dds, format, bytes.data(), dds.levels);
        result->width = dds.width;
        result->height = dds.height;
        result->levels = dds.levels;
    } else {
        // Like the utility library's default: a full mip chain made from the
        // picture, uploaded from the decoder's block as it is. The chain is
        // generated when the texture is first sampled (GlTextureObject).
        uint32_t levels = FullChainLength(picture.width, picture.height);
        glTextureStorage2D(result->name, GLsizei(levels), GL_RGBA8, GLsizei(picture.width),
                           GLsizei(picture.height));
        glTextureSubImage2D(result->name, 0, 0, 0, GLsizei(picture.width), GLsizei(picture.height),
                            GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels.get());
        result->chainPending = levels > 1;
        result->width = picture.width;
        result->height = picture.height;
        result->levels = levels;
    }
    glTextureParameteri(result->name, GL_TEXTURE_MAX_LEVEL, GLint(result->levels - 1));
    if (UploadFailed()) {
        result->Release();
        return Reject(path, "GL rejected the upload");
    }
    *texture = result;
    return S_OK;
}

HRESULT LoadCubeTexture(GlDevice& device, const char* path, CubeTexture** texture) {
    const GlContext& shared = device.Context();
    *texture = nullptr;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, file_limits::kCubeMap, &bytes, &error)) return RejectRead(error);
    image::DdsImage dds;
    GlFormat format;
    if (!image::ParseDds(bytes.data(), bytes.size(), &dds, &error)) return Reject(path, error);
    if (!dds.cube) return Reject(path, "a 2D texture, not a cube map");
    if (!FitsDevice(shared, dds, 6, &format, &error)) return Reject(path, error);

    ResetUnpackState();
    DrainGlErrors();
    auto* result = new GlCubeTexture(device);
    glCreateTextures(GL_TEXTURE_CUBE_MAP, 1, &result->name);
    glTextureStorage2D(result->name, GLsizei(dds.levels), format.internal, GLsizei(dds.width),
                       GLsizei(dds.height));
    for (uint32_t face = 0; face < 6; ++face)
        UploadDdsLevels(result->name, true, face, dds, format, bytes.data(), dds.levels);
    glTextureParameteri(result->name, GL_TEXTURE_MAX_LEVEL, GLint(dds.levels - 1));
    result->edge = dds.width;
    result->levels = dds.levels;
    if (UploadFailed()) {
        result->Release();
        return Reject(path, "GL rejected the upload");
    }
    *texture = result;
    return S_OK;
}

}  // namespace gfx::gl
