// The services of a device that draws nothing (device_services.h): every
// name is 1, every upload and draw is left out, held-back text is "drawn" at
// once. The null and recording devices hand these to effects and fonts,
// which then take every processor step they take on the OpenGL device.
#pragma once

#include "platform/gfx/core/device_services.h"

namespace gfx::null {

class NullServices final : public DeviceServices {
public:
    uint32_t BuildProgram(const char*, const char*, std::string*) override { return 1; }
    void DeleteProgram(uint32_t) override {}
    uint32_t CreateUniformBuffer(const void*, size_t) override { return 1; }
    void WriteUniformBuffer(uint32_t, size_t, size_t, const void*) override {}
    void DeleteUniformBuffer(uint32_t) override {}
    void UseProgram(uint32_t) override {}
    void BindUniformBuffer(uint32_t, uint32_t) override {}
    void BindTexture(uint32_t, BaseTexture*) override {}
    void FlushPendingDraws() override {}
    void HoldOverlay(PendingOverlay* overlay) override { overlay->DrawPending(); }
    void DropOverlay(PendingOverlay*) override {}
    uint32_t CreateAtlas(int, int, std::string*) override { return 1; }
    void WriteAtlasRows(uint32_t, int, int, int, const uint8_t*) override {}
    void DeleteAtlas(uint32_t) override {}
    void DrawOverlay(uint32_t, const OverlayVertex*, size_t, const Viewport&) override {}
};

}  // namespace gfx::null
