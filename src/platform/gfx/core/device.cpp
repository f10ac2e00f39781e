#include "platform/gfx/core/device.h"

namespace gfx {

HRESULT D3DXCreateTextureFromFileA(Device* device, const char* path, Texture** texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    return device->CreateTextureFromFile(path, texture);
}

HRESULT D3DXCreateCubeTextureFromFileA(Device* device, const char* path, CubeTexture** texture) {
    if (!device || !texture) return D3DERR_INVALIDCALL;
    return device->CreateCubeTextureFromFile(path, texture);
}

HRESULT D3DXCreateEffectFromFileA(Device* device, const char* path, const void* /*defines*/,
                                  void* /*include*/, uint32_t flags, void* /*pool*/,
                                  Effect** effect, Buffer** errors) {
    if (!device || !effect) return D3DERR_INVALIDCALL;
    return device->CreateEffectFromFile(path, flags, effect, errors);
}

HRESULT D3DXCreateFontA(Device* device, int32_t height, uint32_t width, uint32_t weight,
                        uint32_t mipLevels, int32_t italic, uint32_t charSet,
                        uint32_t outputPrecision, uint32_t quality, uint32_t pitchAndFamily,
                        const char* faceName, Font** font) {
    if (!device || !font) return D3DERR_INVALIDCALL;
    return device->CreateFont(height, width, weight, mipLevels, italic, charSet, outputPrecision,
                              quality, pitchAndFamily, faceName, font);
}

}  // namespace gfx
