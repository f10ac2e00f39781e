// Vertex and index buffers and vertex declarations of the OpenGL backend.
#include <cstring>
#include <type_traits>

#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

// --- vertex and index buffers -------------------------------------------------

template <typename Base>
template <typename... Extra>
GlBuffer<Base>::GlBuffer(GlDevice& device, uint32_t length, Extra... extra)
    : Base(device, length, extra..., false) {
    device.MakeCurrent();
    glCreateBuffers(1, &name_);
    if constexpr (std::is_same_v<Base, VertexBufferObject>) mode_ = device.Upload();
    if (mode_ == BufferUpload::Ring) {
        const GLbitfield flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
        const GLsizeiptr bytes = GLsizeiptr(length) * kSegments;
        glNamedBufferStorage(name_, bytes, nullptr, flags);
        mapped_ = static_cast<uint8_t*>(glMapNamedBufferRange(name_, 0, bytes, flags));
        if (mapped_) {
            std::memset(Segment(0), 0, length);
            return;
        }
        // No mapping: the buffer copies instead.
        glDeleteBuffers(1, &name_);
        glCreateBuffers(1, &name_);
        mode_ = BufferUpload::Copy;
    }
    if (mode_ == BufferUpload::Orphan) {
        glNamedBufferData(name_, GLsizeiptr(length), nullptr, GL_STREAM_DRAW);
        glClearNamedBufferData(name_, GL_R8, GL_RED, GL_UNSIGNED_BYTE, nullptr);
        return;
    }
    // Copy: plain glBufferData storage with a dynamic hint is the safe
    // default for a buffer rewritten whole at every Unlock.
    this->KeepCopy();
    glNamedBufferData(name_, GLsizeiptr(length), this->Bytes().data(), GL_DYNAMIC_DRAW);
}

template <typename Base>
GlBuffer<Base>::~GlBuffer() {
    DeviceOf(*this).MakeCurrent();
    for (GLsync fence : fences_)
        if (fence) glDeleteSync(fence);
    // A buffer still mapped is unmapped by its deletion.
    glDeleteBuffers(1, &name_);
}

// Draws already made read the old contents.
template <typename Base>
void GlBuffer<Base>::BeforeLock() {
    DeviceOf(*this).FlushPendingDraws();
}

template <typename Base>
uint8_t* GlBuffer<Base>::LockMemory(size_t offset, size_t length, bool first) {
    const size_t size = this->GetLength();
    const bool whole = offset == 0 && length == size;
    GlDevice& device = DeviceOf(*this);
    switch (mode_) {
    case BufferUpload::Copy: return Base::LockMemory(offset, length, first);
    case BufferUpload::Ring: {
        if (!first) return Segment(segment_) + offset;
        // The draws made so far read this segment: the fence marks their end.
        // The next segment is written once the draws that read it are done
        // (normally long ago: two other segments were drawn from since).
        device.MakeCurrent();
        if (fences_[segment_]) glDeleteSync(fences_[segment_]);
        fences_[segment_] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        const uint32_t next = (segment_ + 1) % kSegments;
        if (GLsync fence = fences_[next]) {
            while (glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000) ==
                   GL_TIMEOUT_EXPIRED) {
            }
            glDeleteSync(fence);
            fences_[next] = nullptr;
        }
        if (!whole) std::memcpy(Segment(next), Segment(segment_), size);
        segment_ = next;
        device.BufferMoved();  // the draws read from another offset now
        return Segment(segment_) + offset;
    }
    case BufferUpload::Orphan:
        if (!first) return mapped_ ? mapped_ + offset : nullptr;
        device.MakeCurrent();
        if (whole) {
            // New storage for the new contents; draws still queued keep the old.
            glNamedBufferData(name_, GLsizeiptr(size), nullptr, GL_STREAM_DRAW);
            mapped_ = static_cast<uint8_t*>(glMapNamedBufferRange(
                name_, 0, GLsizeiptr(size), GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT));
        } else {
            mapped_ = static_cast<uint8_t*>(glMapNamedBufferRange(
                name_, 0, GLsizeiptr(size), GL_MAP_READ_BIT | GL_MAP_WRITE_BIT));
        }
        return mapped_ ? mapped_ + offset : nullptr;
    }
    return nullptr;
}

template <typename Base>
void GlBuffer<Base>::Upload(size_t begin, size_t end) {
    GlDevice& device = DeviceOf(*this);
    switch (mode_) {
    case BufferUpload::Copy:
        if (begin >= end) return;
        device.FlushPendingDraws();
        device.MakeCurrent();
        glNamedBufferSubData(name_, GLintptr(begin), GLsizeiptr(end - begin),
                             this->Bytes().data() + begin);
        return;
    case BufferUpload::Ring: return;  // written in place, coherently
    case BufferUpload::Orphan:
        device.MakeCurrent();
        if (mapped_) glUnmapNamedBuffer(name_);
        mapped_ = nullptr;
        return;
    }
}

template class GlBuffer<VertexBufferObject>;
template class GlBuffer<IndexBufferObject>;

HRESULT GlDevice::MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) {
    *buffer = new GlVertexBuffer(*this, length);
    return S_OK;
}

HRESULT GlDevice::MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) {
    *buffer = new GlIndexBuffer(*this, length, format);
    return S_OK;
}

// --- vertex declarations ----------------------------------------------------------

namespace {

GlAttribute AttributeOf(const rules::ElementLayout& e) {
    GlAttribute a;
    a.stream = e.stream;
    a.offset = e.offset;
    switch (e.type) {
    case D3DDECLTYPE_D3DCOLOR:
        a.components = 4;
        a.type = GL_UNSIGNED_BYTE;
        a.normalized = GL_TRUE;
        a.bgra = true;
        break;
    case D3DDECLTYPE_UBYTE4:
        a.components = 4;
        a.type = GL_UNSIGNED_BYTE;
        break;
    default:  // FLOAT1..FLOAT4
        a.components = GLint(e.bytes / 4);
        a.type = GL_FLOAT;
        break;
    }
    switch (e.usage) {
    case D3DDECLUSAGE_POSITION: a.location = kPositionLocation; break;
    case D3DDECLUSAGE_NORMAL: a.location = kNormalLocation; break;
    case D3DDECLUSAGE_TEXCOORD: a.location = kTexCoordLocation; break;
    default: a.location = kColorLocation; break;  // D3DDECLUSAGE_COLOR
    }
    return a;
}

}  // namespace

GlVertexDeclaration::GlVertexDeclaration(GlDevice& device, std::vector<VertexElement> table,
                                         std::vector<rules::ElementLayout> layout)
    : DeclarationObject(device, std::move(table), std::move(layout)) {
    for (const rules::ElementLayout& element : Layout())
        attributes_.push_back(AttributeOf(element));
}

HRESULT GlDevice::MakeVertexDeclaration(std::vector<VertexElement> table,
                                        std::vector<rules::ElementLayout> layout,
                                        VertexDeclaration** declaration) {
    *declaration = new GlVertexDeclaration(*this, std::move(table), std::move(layout));
    return S_OK;
}

}  // namespace gfx::gl
