// The vertex buffers, index buffers and declarations of every backend: a
// buffer's locks and their checks, a declaration's table and layout. A
// backend adds what its device needs (GL names and uploads, call logging).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/core/device_child.h"
#include "platform/gfx/core/log.h"

namespace gfx {

// Lock hands out memory for a range of the buffer; the last Unlock reports
// the bytes written since the first Lock. The memory is a processor copy of
// the buffer's bytes when the backend keeps one (KeepCopy), or memory of the
// backend's own (LockMemory), such as memory the GPU reads directly.
template <typename Interface>
class BufferObject : public DeviceChild<Interface> {
public:
    // offset 0 and size 0 lock the whole buffer; size 0 locks to the end.
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t /*flags*/) override {
        if (!data) return Refuse("Lock", "no output pointer");
        *data = nullptr;
        if (!this->DeviceAlive()) return Refuse("Lock", "the buffer's device was released");
        if (offset > length_)
            return Refuse("Lock", "offset %u is past the buffer's %u bytes", offset, length_);
        size_t length = size == 0 ? length_ - offset : size;
        if (length > length_ - offset)
            return Refuse("Lock", "%u bytes at %u run past the buffer's %u", size, offset, length_);
        BeforeLock();
        uint8_t* memory = LockMemory(offset, length, locks_ == 0);
        if (!memory) return Refuse("Lock", "the backend has no memory for the buffer");
        size_t end = offset + length;
        if (locks_ == 0 || dirtyBegin_ == dirtyEnd_) {
            dirtyBegin_ = offset;
            dirtyEnd_ = end;
        } else {
            dirtyBegin_ = dirtyBegin_ < offset ? dirtyBegin_ : offset;
            dirtyEnd_ = dirtyEnd_ > end ? dirtyEnd_ : end;
        }
        ++locks_;
        *data = memory;
        return S_OK;
    }
    HRESULT Unlock() override {
        if (locks_ == 0) return Refuse("Unlock", "the buffer is not locked");
        if (--locks_ > 0) return S_OK;
        if (this->DeviceAlive()) Upload(dirtyBegin_, dirtyEnd_);
        dirtyBegin_ = dirtyEnd_ = 0;
        return S_OK;
    }
    uint32_t GetLength() const override { return length_; }
    // The processor copy; empty when the backend keeps none.
    const std::vector<uint8_t>& Bytes() const { return copy_; }

protected:
    BufferObject(DeviceFront& device, uint32_t length)
        : DeviceChild<Interface>(device), length_(length) {}
    // Gives the buffer a processor copy, zero-filled, which Lock hands out.
    void KeepCopy() { copy_.assign(length_, 0); }
    // Before the memory is handed out (draws already made read the old bytes).
    virtual void BeforeLock() {}
    // The memory handed out for bytes [offset, offset + length); first is
    // true for a Lock while no other is open. Null refuses the Lock.
    virtual uint8_t* LockMemory(size_t offset, size_t /*length*/, bool /*first*/) {
        return copy_.empty() ? nullptr : copy_.data() + offset;
    }
    // The last Unlock: bytes [begin, end) changed (begin == end: none).
    virtual void Upload(size_t /*begin*/, size_t /*end*/) {}

private:
    uint32_t length_;
    std::vector<uint8_t> copy_;
    uint32_t locks_ = 0;
    size_t dirtyBegin_ = 0;
    size_t dirtyEnd_ = 0;
};

using VertexBufferObject = BufferObject<VertexBuffer>;

class IndexBufferObject : public BufferObject<IndexBuffer> {
public:
    Format GetFormat() const override { return format_; }
    uint32_t IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

protected:
    IndexBufferObject(DeviceFront& device, uint32_t length, Format format)
        : BufferObject<IndexBuffer>(device, length), format_(format) {}

private:
    Format format_;
};

class DeclarationObject : public DeviceChild<VertexDeclaration> {
public:
    const VertexElement* GetElements(uint32_t* count) const override {
        if (count) *count = uint32_t(table_.size());
        return table_.data();
    }
    const std::vector<rules::ElementLayout>& Layout() const { return layout_; }
    // Bytes a vertex of stream s must have from its start for every element
    // of that stream; 0 when no element reads the stream.
    uint32_t StreamExtent(uint32_t stream) const { return extents_[stream]; }
    // Bit s set when an element reads stream s.
    uint32_t StreamMask() const { return streamMask_; }

protected:
    DeclarationObject(DeviceFront& device, std::vector<VertexElement> table,
                      std::vector<rules::ElementLayout> layout)
        : DeviceChild<VertexDeclaration>(device), table_(std::move(table)), layout_(std::move(layout)) {
        for (const rules::ElementLayout& e : layout_) {
            if (e.offset + e.bytes > extents_[e.stream]) extents_[e.stream] = e.offset + e.bytes;
            streamMask_ |= 1u << e.stream;
        }
    }

private:
    std::vector<VertexElement> table_;  // the end marker included
    std::vector<rules::ElementLayout> layout_;
    uint32_t extents_[rules::kStreamCount] = {};
    uint32_t streamMask_ = 0;
};

}  // namespace gfx
