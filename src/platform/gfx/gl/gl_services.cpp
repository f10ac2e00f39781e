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

uint32_t GetTextureName(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->ReadyName() : 0;
}

uint32_t GetTextureTarget(BaseTexture* texture) {
    auto* gl = dynamic_cast<GlTextureObject*>(texture);
    return gl ? gl->target : 0;
}

}  // namespace gfx::gl
