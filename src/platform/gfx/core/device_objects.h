// The vertex buffers, index buffers, declarations and textures of every
// backend: a buffer's locks and their checks, a declaration's table and
// layout, a texture's size. A backend adds what its device needs (GL names
// and uploads, call logging).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/core/device_child.h"
#include "platform/gfx/core/log.h"

namespace gfx {

// Lock hands out memory for a range of the buffer; the last Unlock reports
// the bytes written since the first Lock. The memory is a processor copy of
// the buffer's bytes when the backend keeps one (keepCopy, KeepCopy), or
// memory of the backend's own (LockMemory), such as memory the GPU reads.
template <typename Interface>
class BufferObject : public DeviceChild<Interface> {
public:
    BufferObject(DeviceFront& device, uint32_t length, bool keepCopy)
        : DeviceChild<Interface>(device), length_(length), copy_(keepCopy ? length : 0, 0) {}

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
    IndexBufferObject(DeviceFront& device, uint32_t length, Format format, bool keepCopy)
        : BufferObject<IndexBuffer>(device, length, keepCopy), format_(format) {}
    Format GetFormat() const override { return format_; }
    uint32_t IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

private:
    Format format_;
};

class DeclarationObject : public DeviceChild<VertexDeclaration> {
public:
    DeclarationObject(DeviceFront& device, std::vector<VertexElement> table,
                      std::vector<rules::ElementLayout> layout)
        : DeviceChild<VertexDeclaration>(device),
          table_(std::move(table)),
          layout_(std::move(layout)) {
        for (const rules::ElementLayout& e : layout_) {
            if (e.offset + e.bytes > extents_[e.stream]) extents_[e.stream] = e.offset + e.bytes;
            streamMask_ |= 1u << e.stream;
        }
    }
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

private:
    std::vector<VertexElement> table_;  // the end marker included
    std::vector<rules::ElementLayout> layout_;
    uint32_t extents_[rules::kStreamCount] = {};
    uint32_t streamMask_ = 0;
};

// The edge of a mip level; 0 past the last level.
inline uint32_t LevelEdge(uint32_t edge, uint32_t level, uint32_t levels) {
    if (level >= levels) return 0;
    uint32_t e = level < 32 ? edge >> level : 0;
    return e ? e : 1;
}

// A texture of a file (its size only; the backend holds the texels) or one
// made in memory (CreateTexture), which keeps a processor copy of each level
// for LockRect and hands the rows written to UploadLevel at UnlockRect.
class TextureObject : public DeviceChild<Texture> {
public:
    TextureObject(DeviceFront& device, const TextureFile& file)
        : DeviceChild<Texture>(device),
          width_(file.width),
          height_(file.height),
          levels_(file.levels) {}
    // A texture made in memory, every level zero-filled; 4 bytes a texel.
    TextureObject(DeviceFront& device, uint32_t width, uint32_t height, uint32_t levels)
        : DeviceChild<Texture>(device), width_(width), height_(height), levels_(levels) {
        copies_.resize(levels);
        for (uint32_t level = 0; level < levels; ++level)
            copies_[level].assign(size_t(GetWidth(level)) * GetHeight(level) * 4, 0);
        locked_.resize(levels);
    }
    ResourceType GetType() const override { return ResourceType::Texture; }
    uint32_t GetLevelCount() const override { return levels_; }
    uint32_t GetWidth(uint32_t level) const override { return LevelEdge(width_, level, levels_); }
    uint32_t GetHeight(uint32_t level) const override { return LevelEdge(height_, level, levels_); }

    HRESULT LockRect(uint32_t level, LockedRect* locked, const Rect* rect,
                     uint32_t /*flags*/) override {
        const char* call = "LockRect";
        if (!locked) return Refuse(call, "no output pointer");
        *locked = LockedRect{};
        if (copies_.empty()) return Refuse(call, "a texture made of a file does not lock");
        if (!this->DeviceAlive()) return Refuse(call, "the texture's device was released");
        if (level >= levels_) return Refuse(call, "level %u (levels 0..%u)", level, levels_ - 1);
        if (locked_[level].open) return Refuse(call, "level %u is already locked", level);
        const int64_t w = GetWidth(level), h = GetHeight(level);
        Rect area{0, 0, int32_t(w), int32_t(h)};
        if (rect) {
            if (rect->left < 0 || rect->top < 0 || rect->right > w || rect->bottom > h ||
                rect->left >= rect->right || rect->top >= rect->bottom)
                return Refuse(call, "(%d, %d)..(%d, %d) is not inside level %u's %lld x %lld",
                              rect->left, rect->top, rect->right, rect->bottom, level, (long long)w,
                              (long long)h);
            area = *rect;
        }
        locked_[level] = Lock{true, area};
        locked->pitch = int32_t(w * 4);
        locked->bits = copies_[level].data() + (size_t(area.top) * w + area.left) * 4;
        return S_OK;
    }
    HRESULT UnlockRect(uint32_t level) override {
        if (level >= locked_.size() || !locked_[level].open)
            return Refuse("UnlockRect", "level %u is not locked", level);
        locked_[level].open = false;
        if (this->DeviceAlive()) UploadLevel(level, locked_[level].area);
        return S_OK;
    }
    // Level `level`'s processor copy, rows from the top (empty for a file's texture).
    const std::vector<uint8_t>& LevelBytes(uint32_t level) const {
        static const std::vector<uint8_t> none;
        return level < copies_.size() ? copies_[level] : none;
    }

protected:
    // The rectangle `area` of the level was written (LevelBytes holds it).
    virtual void UploadLevel(uint32_t /*level*/, const Rect& /*area*/) {}

private:
    struct Lock {
        bool open = false;
        Rect area;
    };
    uint32_t width_, height_, levels_;
    std::vector<std::vector<uint8_t>> copies_;  // made in memory: one per level
    std::vector<Lock> locked_;
};

class CubeTextureObject : public DeviceChild<CubeTexture> {
public:
    CubeTextureObject(DeviceFront& device, const TextureFile& file)
        : DeviceChild<CubeTexture>(device), edge_(file.width), levels_(file.levels) {}
    ResourceType GetType() const override { return ResourceType::CubeTexture; }
    uint32_t GetLevelCount() const override { return levels_; }
    uint32_t GetEdgeLength(uint32_t level) const override {
        return LevelEdge(edge_, level, levels_);
    }

private:
    uint32_t edge_, levels_;
};

}  // namespace gfx
