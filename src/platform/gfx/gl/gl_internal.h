// Internals of the OpenGL backend shared by its source files.
#pragma once

#include <epoxy/gl.h>

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/core/device.h"

namespace gfx::gl {

class GlDevice;

// What a device's objects need from it. Every object keeps this block
// alive, so an object released after its device still finds out that the
// context is gone instead of touching a destroyed one.
struct DeviceShared {
    GlDevice* device = nullptr;  // null once the device is destroyed
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    uint32_t liveObjects = 0;
    uint32_t glErrors = 0;
    bool hasS3tc = false;
    int32_t maxTextureSize = 0;

    bool Alive() const { return device != nullptr; }
    // Makes the context current; false when the device is gone.
    bool MakeCurrent();
};

// Makes window/context current unless it already is (SDL_GL_MakeCurrent is
// not free, and every entry point of the device calls this).
void MakeContextCurrent(SDL_Window* window, SDL_GLContext context);

// Flushes a device's merged draws before something they depend on changes.
void FlushDevice(DeviceShared& shared);

// Reference count and live-object bookkeeping of every device child.
class DeviceChild {
public:
    explicit DeviceChild(std::shared_ptr<DeviceShared> shared) : shared_(std::move(shared)) {
        ++shared_->liveObjects;
    }
    virtual ~DeviceChild() { --shared_->liveObjects; }
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

protected:
    uint32_t references_ = 1;
    std::shared_ptr<DeviceShared> shared_;
};

#define GL_CHILD_REFCOUNT                                \
    uint32_t AddRef() override { return ++references_; } \
    uint32_t Release() override {                        \
        uint32_t left = --references_;                   \
        if (left == 0) delete this;                      \
        return left;                                     \
    }

// A buffer keeps a CPU copy: Lock hands it out, Unlock uploads what changed.
class GlBufferStore {
public:
    GlBufferStore(DeviceShared& shared, uint32_t length);
    void Destroy(DeviceShared& shared);
    HRESULT Lock(DeviceShared& shared, uint32_t offset, uint32_t size, void** data);
    HRESULT Unlock(DeviceShared& shared);

    GLuint name = 0;
    std::vector<uint8_t> bytes;
    uint32_t lockCount = 0;
    size_t dirtyBegin = 0;
    size_t dirtyEnd = 0;
};

class GlVertexBuffer final : public VertexBuffer, public DeviceChild {
public:
    GlVertexBuffer(std::shared_ptr<DeviceShared> shared, uint32_t length);
    ~GlVertexBuffer() override;
    GL_CHILD_REFCOUNT
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    HRESULT Unlock() override;
    uint32_t GetLength() const override { return uint32_t(store.bytes.size()); }

    GlBufferStore store;
};

class GlIndexBuffer final : public IndexBuffer, public DeviceChild {
public:
    GlIndexBuffer(std::shared_ptr<DeviceShared> shared, uint32_t length, Format format);
    ~GlIndexBuffer() override;
    GL_CHILD_REFCOUNT
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    HRESULT Unlock() override;
    uint32_t GetLength() const override { return uint32_t(store.bytes.size()); }
    Format GetFormat() const override { return format; }
    uint32_t IndexSize() const { return format == D3DFMT_INDEX32 ? 4 : 2; }

    GlBufferStore store;
    Format format;
};

// One attribute of a declaration, resolved to GL terms at creation.
struct GlAttribute {
    uint32_t stream = 0;
    uint32_t offset = 0;
    uint32_t location = 0;
    GLint components = 0;
    GLenum type = GL_FLOAT;
    GLboolean normalized = GL_FALSE;
    uint32_t bytes = 0;  // size of the element in the vertex
    bool bgra = false;   // D3DCOLOR: bytes B, G, R, A
};

class GlVertexDeclaration final : public VertexDeclaration, public DeviceChild {
public:
    GlVertexDeclaration(std::shared_ptr<DeviceShared> shared, std::vector<VertexElement> elements,
                        std::vector<GlAttribute> attributes);
    ~GlVertexDeclaration() override;
    GL_CHILD_REFCOUNT
    const VertexElement* GetElements(uint32_t* count) const override;

    std::vector<VertexElement> elements;  // D3DDECL_END included
    std::vector<GlAttribute> attributes;
    uint32_t streamMask = 0;  // bit s set when stream s feeds an attribute
};

// Resolves a declaration table; false for an element type or usage the
// backend does not map.
bool ResolveDeclaration(const VertexElement* elements, std::vector<VertexElement>* copy,
                        std::vector<GlAttribute>* attributes);

// The GL side of a texture, found by GetTextureName/GetTextureTarget.
class GlTextureObject {
public:
    virtual ~GlTextureObject() = default;
    GLuint name = 0;
    GLenum target = 0;
};

class GlTexture final : public Texture, public DeviceChild, public GlTextureObject {
public:
    explicit GlTexture(std::shared_ptr<DeviceShared> shared);
    ~GlTexture() override;
    GL_CHILD_REFCOUNT
    ResourceType GetType() const override { return ResourceType::Texture; }
    uint32_t GetLevelCount() const override { return levels; }
    uint32_t GetWidth(uint32_t level) const override;
    uint32_t GetHeight(uint32_t level) const override;

    uint32_t width = 0, height = 0, levels = 0;
};

class GlCubeTexture final : public CubeTexture, public DeviceChild, public GlTextureObject {
public:
    explicit GlCubeTexture(std::shared_ptr<DeviceShared> shared);
    ~GlCubeTexture() override;
    GL_CHILD_REFCOUNT
    ResourceType GetType() const override { return ResourceType::CubeTexture; }
    uint32_t GetLevelCount() const override { return levels; }
    uint32_t GetEdgeLength(uint32_t level) const override;

    uint32_t edge = 0, levels = 0;
};

// Texture loading from files (gl_texture.cpp).
HRESULT LoadTexture(const std::shared_ptr<DeviceShared>& shared, const char* path, Texture** texture);
HRESULT LoadCubeTexture(const std::shared_ptr<DeviceShared>& shared, const char* path,
                        CubeTexture** texture);

}  // namespace gfx::gl
