// The objects of the OpenGL backend, shared by its source files.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gfx/core/device_objects.h"

namespace gfx::gl {

class GlDevice;

// What a child of the OpenGL device reaches its device by.
template <typename Child>
GlDevice& DeviceOf(const Child& child) {
    return static_cast<GlDevice&>(child.Owner());
}

// Attribute locations the device binds a vertex declaration's elements to,
// by usage; the effect compiler places vertex inputs at the same ones.
constexpr uint32_t kPositionLocation = 0;
constexpr uint32_t kNormalLocation = 1;
constexpr uint32_t kTexCoordLocation = 2;
constexpr uint32_t kColorLocation = 3;

// How a vertex buffer's Lock reaches GL (RR_GL_BUFFER_UPLOAD, gl_backend.h).
enum class BufferUpload {
    Copy,    // Lock hands out a processor copy; Unlock uploads what changed
    Ring,    // a persistently mapped ring of segments; Lock hands out the next
    Orphan,  // Lock orphans the GL storage and maps the new one; Unlock unmaps
};

// A vertex or index buffer: a GL buffer, and a processor copy in Copy mode
// only. Index buffers (written once) always copy; vertex buffers as the
// device's BufferUpload says. With Ring and Orphan the memory handed out is
// GL's own: what the caller writes is what the draws read, with no copy.
//
// Locking the whole buffer hands out memory whose old contents are not kept
// (the caller writes what the draws will use, as the skinning does every
// frame); locking a part keeps the rest, and the part, as they were.
// Base is VertexBufferObject or IndexBufferObject.
template <typename Base>
class GlBuffer final : public Base {
public:
    template <typename... Extra>
    GlBuffer(GlDevice& device, uint32_t length, Extra... extra);
    ~GlBuffer() override;
    GLuint Name() const { return name_; }
    // Where the bytes the draws read start in the GL buffer.
    GLintptr Offset() const { return GLintptr(segment_) * GLintptr(this->GetLength()); }

protected:
    void BeforeLock() override;
    uint8_t* LockMemory(size_t offset, size_t length, bool first) override;
    void Upload(size_t begin, size_t end) override;

private:
    static constexpr uint32_t kSegments = 3;
    uint8_t* Segment(uint32_t index) const { return mapped_ + size_t(index) * this->GetLength(); }

    GLuint name_ = 0;
    BufferUpload mode_ = BufferUpload::Copy;
    uint8_t* mapped_ = nullptr;      // Ring: all segments; Orphan: while locked
    uint32_t segment_ = 0;           // Ring: the segment the draws read
    GLsync fences_[kSegments] = {};  // Ring: passed when the segment's draws are done
};

using GlVertexBuffer = GlBuffer<VertexBufferObject>;
using GlIndexBuffer = GlBuffer<IndexBufferObject>;

// One element of a declaration in GL terms.
struct GlAttribute {
    uint32_t stream = 0;
    uint32_t offset = 0;
    uint32_t location = 0;
    GLint components = 0;
    GLenum type = GL_FLOAT;
    GLboolean normalized = GL_FALSE;
    bool bgra = false;  // D3DCOLOR: bytes B, G, R, A
};

class GlVertexDeclaration final : public DeclarationObject {
public:
    GlVertexDeclaration(GlDevice& device, std::vector<VertexElement> table,
                        std::vector<rules::ElementLayout> layout);
    const std::vector<GlAttribute>& Attributes() const { return attributes_; }

private:
    std::vector<GlAttribute> attributes_;
};

// The GL side of a texture, found by the services' BindTexture and by
// GetTextureName/GetTextureTarget.
//
// A picture file's texture is made with its level 0 only and its mip chain
// pending: the chain is generated the first time the texture is handed out
// for sampling (ReadyName). Many textures are never sampled (the model's
// material textures, which the effect does not read), and the first mip
// generation of a process is slow on llvmpipe (it builds its shaders then).
class GlTextureObject {
public:
    virtual ~GlTextureObject() = default;
    // The name with every level defined.
    GLuint ReadyName() {
        if (chainPending) MakeChain();
        return name;
    }
    GLuint name = 0;
    GLenum target = 0;
    bool chainPending = false;

protected:
    virtual void MakeChain() = 0;
};

// A texture of the backend (Base: TextureObject or CubeTextureObject) and its
// GL texture, made with its storage and deleted with it.
template <typename Base>
class GlTexture final : public Base, public GlTextureObject {
public:
    GlTexture(GlDevice& device, const TextureFile& file, GLenum textureTarget, GLenum format);
    ~GlTexture() override;

protected:
    void MakeChain() override;
};

}  // namespace gfx::gl
