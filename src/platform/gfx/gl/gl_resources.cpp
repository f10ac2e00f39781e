// Vertex and index buffers and vertex declarations of the OpenGL backend.
#include <algorithm>
#include <cstring>

#include "platform/gfx/gl/gl_device.h"
#include "platform/gfx/gl/gl_services.h"

namespace gfx::gl {

// --- buffer store -------------------------------------------------------------

GlBufferStore::GlBufferStore(DeviceShared& shared, uint32_t length) : bytes(length, 0) {
    if (!shared.MakeCurrent()) return;
    glCreateBuffers(1, &name);
    // Rewritten whole at every Unlock by the skinning: plain glBufferData
    // storage with a dynamic hint is the safe default.
    glNamedBufferData(name, GLsizeiptr(length), bytes.data(), GL_DYNAMIC_DRAW);
}

void GlBufferStore::Destroy(DeviceShared& shared) {
    // Without a device the context and its buffer names are already gone.
    if (name && shared.MakeCurrent()) glDeleteBuffers(1, &name);
    name = 0;
}

HRESULT GlBufferStore::Lock(DeviceShared& shared, uint32_t offset, uint32_t size, void** data) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (!shared.Alive()) return D3DERR_INVALIDCALL;
    if (offset > bytes.size()) return D3DERR_INVALIDCALL;
    // Size 0 locks everything from offset to the end.
    size_t length = size == 0 ? bytes.size() - offset : size;
    if (length > bytes.size() - offset) return D3DERR_INVALIDCALL;
    // Draws already made read the old contents.
    FlushDevice(shared);
    if (lockCount == 0 || dirtyBegin == dirtyEnd) {
        dirtyBegin = offset;
        dirtyEnd = offset + length;
    } else {
        dirtyBegin = std::min<size_t>(dirtyBegin, offset);
        dirtyEnd = std::max<size_t>(dirtyEnd, offset + length);
    }
    ++lockCount;
    *data = bytes.data() + offset;
    return S_OK;
}

HRESULT GlBufferStore::Unlock(DeviceShared& shared) {
    if (lockCount == 0) return D3DERR_INVALIDCALL;
    if (--lockCount > 0) return S_OK;
    if (dirtyEnd > dirtyBegin && shared.Alive()) {
        FlushDevice(shared);
        shared.MakeCurrent();
        glNamedBufferSubData(name, GLintptr(dirtyBegin), GLsizeiptr(dirtyEnd - dirtyBegin),
                             bytes.data() + dirtyBegin);
    }
    dirtyBegin = dirtyEnd = 0;
    return S_OK;
}

// --- vertex and index buffers -------------------------------------------------

GlVertexBuffer::GlVertexBuffer(std::shared_ptr<DeviceShared> shared, uint32_t length)
    : DeviceChild(std::move(shared)), store(*shared_, length) {}

GlVertexBuffer::~GlVertexBuffer() {
    if (shared_->device) shared_->device->Forget(this);
    store.Destroy(*shared_);
}

HRESULT GlVertexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t /*flags*/) {
    return store.Lock(*shared_, offset, size, data);
}

HRESULT GlVertexBuffer::Unlock() { return store.Unlock(*shared_); }

GlIndexBuffer::GlIndexBuffer(std::shared_ptr<DeviceShared> shared, uint32_t length, Format format)
    : DeviceChild(std::move(shared)), store(*shared_, length), format(format) {}

GlIndexBuffer::~GlIndexBuffer() {
    if (shared_->device) shared_->device->Forget(this);
    store.Destroy(*shared_);
}

HRESULT GlIndexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t /*flags*/) {
    return store.Lock(*shared_, offset, size, data);
}

HRESULT GlIndexBuffer::Unlock() { return store.Unlock(*shared_); }

// --- vertex declarations ----------------------------------------------------------

namespace {

// Element types by their Direct3D numbers.
enum : uint8_t {
    kFloat1 = 0,
    kFloat2 = 1,
    kFloat3 = 2,
    kFloat4 = 3,
    kD3dColor = 4,
    kUByte4 = 5,
};
// Usages by their Direct3D numbers.
enum : uint8_t { kUsagePosition = 0, kUsageNormal = 3, kUsageTexCoord = 5, kUsageColor = 10 };

bool AttributeOf(const VertexElement& e, GlAttribute* a) {
    a->stream = e.stream;
    a->offset = e.offset;
    switch (e.type) {
    case kFloat1: case kFloat2: case kFloat3: case kFloat4:
        a->components = e.type + 1;
        a->type = GL_FLOAT;
        a->bytes = uint32_t(a->components) * 4;
        break;
    case kD3dColor:
        a->components = 4;
        a->type = GL_UNSIGNED_BYTE;
        a->normalized = GL_TRUE;
        a->bgra = true;
        a->bytes = 4;
        break;
    case kUByte4:
        a->components = 4;
        a->type = GL_UNSIGNED_BYTE;
        a->bytes = 4;
        break;
    default: return false;
    }
    if (e.usageIndex != 0) return false;
    switch (e.usage) {
    case kUsagePosition: a->location = kPositionLocation; break;
    case kUsageNormal: a->location = kNormalLocation; break;
    case kUsageTexCoord: a->location = kTexCoordLocation; break;
    case kUsageColor: a->location = kColorLocation; break;
    default: return false;
    }
    return true;
}

}  // namespace

bool ResolveDeclaration(const VertexElement* elements, std::vector<VertexElement>* copy,
                        std::vector<GlAttribute>* attributes) {
    // A table without its end marker is not read past this many elements.
    constexpr size_t kMaxElements = 64;
    uint32_t usedLocations = 0;
    for (size_t i = 0; i < kMaxElements; ++i) {
        const VertexElement& e = elements[i];
        copy->push_back(e);
        if (e.stream == 0xFF) return true;  // D3DDECL_END
        GlAttribute a;
        if (e.stream >= kStreamCount || !AttributeOf(e, &a)) return false;
        if (usedLocations & (1u << a.location)) return false;  // one element per usage
        usedLocations |= 1u << a.location;
        attributes->push_back(a);
    }
    return false;
}

GlVertexDeclaration::GlVertexDeclaration(std::shared_ptr<DeviceShared> shared,
                                         std::vector<VertexElement> elements,
                                         std::vector<GlAttribute> attributes)
    : DeviceChild(std::move(shared)), elements(std::move(elements)), attributes(std::move(attributes)) {
    for (const GlAttribute& a : this->attributes) streamMask |= 1u << a.stream;
}

GlVertexDeclaration::~GlVertexDeclaration() {
    if (shared_->device) shared_->device->Forget(this);
}

const VertexElement* GlVertexDeclaration::GetElements(uint32_t* count) const {
    if (count) *count = uint32_t(elements.size());
    return elements.data();
}

}  // namespace gfx::gl
