// The reference counting of every device object, and the one smart pointer
// that holds device objects.
//
// An object has references (AddRef/Release: whoever stores it holds one) and
// internal holds (what the device keeps bound, a child's device): holds keep
// the object alive without being references, so the owner's last Release
// returns 0 and the object counts as released, as Direct3D objects do. The
// object is destroyed when both are gone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace gfx {

template <typename T>
class Ref;

class Unknown {
public:
    Unknown(const Unknown&) = delete;
    Unknown& operator=(const Unknown&) = delete;

    uint32_t AddRef() { return ++references_; }
    // Drops one reference; returns the number left. Releasing more often than
    // referenced changes nothing and returns 0.
    uint32_t Release();

protected:
    Unknown() = default;
    virtual ~Unknown() = default;

    // Every Release, with the references left (the recording backend logs it).
    virtual void OnRelease(uint32_t /*left*/) {}
    // The last reference went; internal holds may keep the object a while.
    virtual void OnLastRelease() {}
    bool IsReleased() const { return references_ == 0; }

private:
    template <typename T>
    friend class Ref;
    void Hold() { ++holds_; }
    void Drop() {
        if (--holds_ == 0) delete this;
    }

    uint32_t references_ = 1;
    uint32_t holds_ = 1;  // all references together count as one hold
};

inline uint32_t Unknown::Release() {
    if (references_ == 0) return 0;
    uint32_t left = --references_;
    OnRelease(left);
    if (left == 0) {
        OnLastRelease();
        Drop();
    }
    return left;
}

// Holds a device object: a reference (Share, Adopt, Receive) or an internal
// hold (Internal); lets go when it is reset, reassigned or destroyed.
template <typename T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    ~Ref() { reset(); }
    Ref(const Ref& other) : object_(other.object_), internal_(other.internal_) { Take(); }
    Ref(Ref&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)), internal_(other.internal_) {}
    Ref& operator=(Ref other) noexcept {
        std::swap(object_, other.object_);
        std::swap(internal_, other.internal_);
        return *this;
    }

    // A reference of its own (AddRef now, Release when let go).
    static Ref Share(T* object) { return Ref(object, false, true); }
    // Takes over a reference the caller holds, such as a creation call's result.
    static Ref Adopt(T* object) { return Ref(object, false, false); }
    // Keeps the object alive without being one of its references.
    static Ref Internal(T* object) { return Ref(object, true, true); }

    void reset() {
        T* object = std::exchange(object_, nullptr);
        if (!object) return;
        if (internal_)
            static_cast<Unknown*>(object)->Drop();
        else
            object->Release();
    }
    // For a creation call's output: lets go of what is held and hands out the
    // slot, whose result is then held as a reference.
    T** Receive() {
        reset();
        internal_ = false;
        return &object_;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    Ref(T* object, bool internal, bool take) : object_(object), internal_(internal) {
        if (take) Take();
    }
    void Take() {
        if (!object_) return;
        if (internal_)
            static_cast<Unknown*>(object_)->Hold();
        else
            object_->AddRef();
    }

    T* object_ = nullptr;
    bool internal_ = false;
};

}  // namespace gfx
