// What the OpenGL device offers the effect and font libraries (gl_services.h).
#include "platform/gfx/gl/gl_services.h"

#include "platform/gfx/gl/gl_device.h"

namespace gfx::gl {

namespace {

EffectFactory effectFactory = nullptr;
FontFactory fontFactory = nullptr;

GlDevice* AsGl(Device* device) { return dynamic_cast<GlDevice*>(device); }

}  // namespace

void SetEffectFactory(EffectFactory factory) { effectFactory = factory; }
void SetFontFactory(FontFactory factory) { fontFactory = factory; }
EffectFactory InstalledEffectFactory() { return effectFactory; }
FontFactory InstalledFontFactory() { return fontFactory; }

bool IsGlDevice(Device* device) { return AsGl(device) != nullptr; }

void MakeCurrent(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->MakeCurrent();
}

void FlushPendingDraws(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->FlushPendingDraws();
}

void InvalidateState(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->InvalidateState();
}

void UseProgram(Device* device, uint32_t program) {
    if (GlDevice* gl = AsGl(device)) gl->UseProgram(program);
}

void HoldOverlay(Device* device, PendingOverlay* overlay) {
    if (GlDevice* gl = AsGl(device)) gl->HoldOverlay(overlay);
}

void DropOverlay(Device* device, PendingOverlay* overlay) {
    if (GlDevice* gl = AsGl(device)) gl->DropOverlay(overlay);
}

void BeginOverlay(Device* device, uint32_t program, uint32_t vertexArray) {
    if (GlDevice* gl = AsGl(device)) gl->BeginOverlay(program, vertexArray);
}

void EndOverlay(Device* device) {
    if (GlDevice* gl = AsGl(device)) gl->EndOverlay();
}

uint32_t GetTextureName(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->ReadyName() : 0;
}

uint32_t GetTextureTarget(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->target : 0;
}

}  // namespace gfx::gl
