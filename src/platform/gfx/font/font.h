// The font library: text drawn with glyphs that fontconfig chooses and
// FreeType rasterises, through the device's services.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device_front.h"

typedef struct _FcConfig FcConfig;

namespace gfx::font {

// The font maker a device is given (EffectAndFontMakers). height > 0 is the
// cell height in pixels (ascent + descent), < 0 the em height; weight
// 100..900 (700 bold). Fails with E_FAIL when no face at all can be found.
HRESULT MakeFont(DeviceFront& device, int32_t height, uint32_t width, uint32_t weight,
                 int32_t italic, const char* faceName, Font** font);

// The same with faces chosen from the given fontconfig configuration (null:
// the current one), which must outlive the font. D3DERR_INVALIDCALL without
// an output pointer or on an object that is no device of this layer.
HRESULT CreateFontWithConfig(FcConfig* config, Device* device, int32_t height, uint32_t width,
                             uint32_t weight, int32_t italic, const char* faceName, Font** font);

}  // namespace gfx::font
