#include "platform/gfx/devices/devices.h"

#include "platform/gfx/effect/effect.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/null/null_backend.h"

namespace gfx::devices {

namespace {

constexpr EffectAndFontMakers kMakers{&effect::MakeEffect, &font::MakeFont};

}  // namespace

Direct3D* CreateOpenGl(uint32_t sdkVersion) {
    return sdkVersion == D3D_SDK_VERSION ? gl::CreateDirect3D(kMakers) : nullptr;
}

Direct3D* CreateNull(uint32_t sdkVersion) {
    return sdkVersion == D3D_SDK_VERSION ? null::CreateDirect3D(kMakers) : nullptr;
}

}  // namespace gfx::devices
