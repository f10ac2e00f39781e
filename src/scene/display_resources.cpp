#include "scene/display_resources.h"

#include <cstring>

#include "platform/files.h"

const gfx::VertexElement kOverlayVertexElements[3] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 12, gfx::D3DDECLTYPE_D3DCOLOR, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_COLOR, 0},
    gfx::D3DDECL_END,
};

const gfx::VertexElement kTexturedVertexElements[4] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 12, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_NORMAL, 0},
    {1, 0, gfx::D3DDECLTYPE_FLOAT2, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_TEXCOORD, 0},
    gfx::D3DDECL_END,
};

namespace {

// Compiles the effect at path once: a failure is noted with the compiler's
// first line and not tried again.
bool ReadyEffect(gfx::Device* device, const std::string& folder, const ReportSink& report,
                 const char* path, const char* technique, BuiltInEffect* out) {
    if (out->effect) return true;
    if (out->tried) return false;
    out->tried = true;
    const std::string file = PathIn(folder, path);
    gfx::Buffer* messages = nullptr;
    gfx::HRESULT result = gfx::D3DXCreateEffectFromFileA(device, file.c_str(), nullptr, nullptr, 0,
                                                         nullptr, &out->effect, &messages);
    if (gfx::Succeeded(result) && out->effect)
        out->technique = out->effect->GetTechniqueByName(technique);
    if (!out->technique) {
        std::string why = "it has no technique ";
        why += technique;
        if (gfx::Failed(result)) {
            const char* text =
                messages ? static_cast<const char*>(messages->GetBufferPointer()) : nullptr;
            why = text ? std::string(text, strnlen(text, messages->GetBufferSize())) : "";
            why = why.substr(0, why.find('\n'));
        }
        report.NoteFormat("built-in effect %s not compiled, not drawn: %s",
                          DisplayPathIn(folder, path).c_str(), why.c_str());
        gfx::SafeRelease(out->effect);
    }
    gfx::SafeRelease(messages);
    return out->effect != nullptr;
}

bool ReadyDeclaration(gfx::Device* device, const gfx::VertexElement* elements,
                      gfx::VertexDeclaration** declaration) {
    if (*declaration) return true;
    return gfx::Succeeded(device->CreateVertexDeclaration(elements, declaration));
}

}  // namespace

bool DisplayResources::ReadyOverlay(gfx::Device* device) {
    if (!ReadyEffect(device, baseFolder, report, kOverlayEffectPath, kOverlayTechnique, &overlay))
        return false;
    return ReadyDeclaration(device, kOverlayVertexElements, &overlayDeclaration);
}

bool DisplayResources::ReadyLit(gfx::Device* device) {
    if (!ReadyEffect(device, baseFolder, report, kLitEffectPath, kLitTechnique, &lit)) return false;
    return ReadyDeclaration(device, kTexturedVertexElements, &texturedDeclaration);
}

bool DisplayResources::ReadyOverlayBuffer(gfx::Device* device, uint32_t vertices) {
    if (overlayBuffer && overlayCapacity >= vertices) return true;
    gfx::SafeRelease(overlayBuffer);
    overlayCapacity = 0;
    const uint64_t capacity = 2 * uint64_t(vertices > 64 ? vertices : 64);
    const uint64_t bytes = capacity * sizeof(OverlayVertex);
    if (bytes > UINT32_MAX) return false;
    if (gfx::Failed(device->CreateVertexBuffer(uint32_t(bytes), 0, 0, gfx::D3DPOOL_DEFAULT,
                                               &overlayBuffer, nullptr)))
        return false;
    overlayCapacity = uint32_t(capacity);
    return true;
}

void DisplayResources::Release() {
    gfx::SafeRelease(overlay.effect);
    overlay = {};
    gfx::SafeRelease(lit.effect);
    lit = {};
    gfx::SafeRelease(overlayDeclaration);
    gfx::SafeRelease(texturedDeclaration);
    gfx::SafeRelease(overlayBuffer);
    overlayCapacity = 0;
}
