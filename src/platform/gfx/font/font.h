// The font library of the OpenGL device: text drawn with glyphs that
// fontconfig chooses and FreeType rasterises.
#pragma once

#include <cstdint>

#include "platform/gfx/core/device.h"

typedef struct _FcConfig FcConfig;

namespace gfx::font {

// Makes the OpenGL device's CreateFont build fonts of this library.
void Install();

// What CreateFont runs on an OpenGL device. height > 0 is the cell height in
// pixels (ascent + descent), < 0 the em height; weight 100..900 (700 bold).
// mipLevels, charSet, outputPrecision, quality and pitchAndFamily are
// accepted and do not change the result: fontconfig's choice and a fallback
// face cover every character set, and glyphs are always antialiased.
// Fails with E_FAIL when no face at all can be found, with
// D3DERR_INVALIDCALL on a non-GL device or without an output pointer.
HRESULT CreateFont(Device* device, int32_t height, uint32_t width, uint32_t weight,
                   uint32_t mipLevels, int32_t italic, uint32_t charSet,
                   uint32_t outputPrecision, uint32_t quality, uint32_t pitchAndFamily,
                   const char* faceName, Font** font);

// CreateFont with faces chosen from the given fontconfig configuration
// (null: the current one). The configuration must outlive the font.
HRESULT CreateFontWithConfig(FcConfig* config, Device* device, int32_t height, uint32_t width,
                             uint32_t weight, int32_t italic, const char* faceName, Font** font);

}  // namespace gfx::font
