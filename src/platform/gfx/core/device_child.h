// What every object made by a device shares: it keeps its device's backend
// alive (an internal hold, so the device's owner still releases it to 0), it
// counts among the device's live objects until its last reference goes, and
// once the device itself is released it refuses work.
#pragma once

#include "platform/gfx/core/device_front.h"

namespace gfx {

template <typename Interface>
class DeviceChild : public Interface {
public:
    DeviceFront& Owner() const { return *device_; }

protected:
    explicit DeviceChild(DeviceFront& device) : device_(Ref<DeviceFront>::Internal(&device)) {
        device.ChildCreated();
    }
    void OnLastRelease() override { device_->ChildReleased(); }
    bool DeviceAlive() const { return !device_->Released(); }

private:
    Ref<DeviceFront> device_;
};

}  // namespace gfx
