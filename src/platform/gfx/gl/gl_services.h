// What the OpenGL device offers its effects and fonts (device_services.h):
// programs, uniform buffers and texture units for effects, through the
// device's cache; and for fonts the text overlay, drawn in one GL draw per
// batch with a program, vertex array and vertex ring of its own.
#pragma once

#include <epoxy/gl.h>

#include "platform/gfx/core/device_services.h"

namespace gfx::gl {

class GlDevice;

class GlServices final : public DeviceServices {
public:
    explicit GlServices(GlDevice& device) : device_(device) {}
    // Deletes the overlay's GL objects, while the device's context lives.
    void Release();

    uint32_t BuildProgram(const char* vertexSource, const char* fragmentSource,
                          std::string* log) override;
    void DeleteProgram(uint32_t program) override;
    uint32_t CreateUniformBuffer(const void* data, size_t size) override;
    void WriteUniformBuffer(uint32_t buffer, size_t offset, size_t size, const void* data) override;
    void DeleteUniformBuffer(uint32_t buffer) override;
    void UseProgram(uint32_t program) override;
    void BindUniformBuffer(uint32_t binding, uint32_t buffer) override;
    void BindTexture(uint32_t unit, BaseTexture* texture) override;
    void FlushPendingDraws() override;

    void HoldOverlay(PendingOverlay* overlay) override;
    void DropOverlay(PendingOverlay* overlay) override;
    uint32_t CreateAtlas(int width, int height, std::string* error) override;
    void WriteAtlasRows(uint32_t atlas, int width, int top, int bottom, const uint8_t* rows) override;
    void DeleteAtlas(uint32_t atlas) override;
    void DrawOverlay(uint32_t atlas, const OverlayVertex* vertices, size_t count,
                     const Viewport& viewport) override;

private:
    static constexpr int kSegments = 4;
    // The overlay's program, vertex array and ring, made with the first atlas.
    bool PrepareOverlay(std::string* error);
    void CreateRing(GLsizeiptr segmentVertices);
    void DeleteRing();
    void ReserveVertices(GLsizeiptr count);

    GlDevice& device_;
    GLuint program_ = 0;
    GLuint vao_ = 0;
    GLint unit_ = 15;
    GLuint buffer_ = 0;
    OverlayVertex* mapped_ = nullptr;
    GLsizeiptr segmentVertices_ = 0;
    GLsizeiptr cursor_ = 0;  // next free vertex of the ring
    GLsync fences_[kSegments] = {};
};

}  // namespace gfx::gl
