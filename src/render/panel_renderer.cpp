#include "render/panel_renderer.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <iterator>

static_assert(sizeof(ImDrawIdx) == 2, "the panel's index buffer holds 16-bit indices");

const gfx::VertexElement kPanelVertexElements[4] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT2, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 8, gfx::D3DDECLTYPE_D3DCOLOR, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_COLOR, 0},
    {0, 12, gfx::D3DDECLTYPE_FLOAT2, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_TEXCOORD, 0},
    gfx::D3DDECL_END,
};

namespace {

// The buffers start with room for a typical panel and double when outgrown.
constexpr uint32_t kFirstVertexCapacity = 8192;
constexpr uint32_t kFirstIndexCapacity = 16384;
constexpr uint32_t kPanelSampler = 0;  // the effect's only texture takes unit 0

// The render states the panel sets, with its values; each is put back after.
struct StateValue {
    gfx::RenderState state;
    uint32_t value;
};
constexpr StateValue kPanelStates[] = {
    {gfx::D3DRS_ALPHABLENDENABLE, 1},
    {gfx::D3DRS_SRCBLEND, gfx::D3DBLEND_SRCALPHA},
    {gfx::D3DRS_DESTBLEND, gfx::D3DBLEND_INVSRCALPHA},
    {gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE},
    {gfx::D3DRS_ZENABLE, gfx::D3DZB_FALSE},
    {gfx::D3DRS_ZWRITEENABLE, 0},
    {gfx::D3DRS_FILLMODE, gfx::D3DFILL_SOLID},
    {gfx::D3DRS_SCISSORTESTENABLE, 1},
};
constexpr gfx::SamplerState kPanelSamplerStates[] = {gfx::D3DSAMP_MAGFILTER, gfx::D3DSAMP_MINFILTER,
                                                     gfx::D3DSAMP_MIPFILTER};
constexpr uint32_t kPanelFilters[] = {gfx::D3DTEXF_LINEAR, gfx::D3DTEXF_LINEAR, gfx::D3DTEXF_NONE};

// What the device held before the panel's draw.
struct SavedState {
    uint32_t states[std::size(kPanelStates)] = {};
    uint32_t filters[std::size(kPanelSamplerStates)] = {};
    gfx::Viewport viewport;
    gfx::Rect scissor;
};

SavedState Save(gfx::Device* device) {
    SavedState saved;
    for (size_t i = 0; i < std::size(kPanelStates); ++i)
        device->GetRenderState(kPanelStates[i].state, &saved.states[i]);
    for (size_t i = 0; i < std::size(kPanelSamplerStates); ++i)
        device->GetSamplerState(kPanelSampler, kPanelSamplerStates[i], &saved.filters[i]);
    device->GetViewport(&saved.viewport);
    device->GetScissorRect(&saved.scissor);
    return saved;
}

void Restore(gfx::Device* device, const SavedState& saved) {
    for (size_t i = 0; i < std::size(kPanelStates); ++i)
        device->SetRenderState(kPanelStates[i].state, saved.states[i]);
    for (size_t i = 0; i < std::size(kPanelSamplerStates); ++i)
        device->SetSamplerState(kPanelSampler, kPanelSamplerStates[i], saved.filters[i]);
    device->SetViewport(&saved.viewport);
    device->SetScissorRect(&saved.scissor);
}

}  // namespace

Matrix4 PanelProjection(float left, float top, float right, float bottom) {
    Matrix4 m;
    m.m[0][0] = 2.0f / (right - left);
    m.m[1][1] = 2.0f / (top - bottom);
    m.m[2][2] = 0.5f;
    m.m[3][0] = (right + left) / (left - right);
    m.m[3][1] = (top + bottom) / (bottom - top);
    m.m[3][2] = 0.5f;
    return m;
}

bool PanelScissor(const float clip[4], const float origin[2], float scaleX, float scaleY,
                  uint32_t width, uint32_t height, gfx::Rect* scissor) {
    // Rounded outwards to whole pixels, then cut to the back buffer.
    auto edge = [](float value, float limit) { return int32_t(std::clamp(value, 0.0f, limit)); };
    const float w = float(width), h = float(height);
    scissor->left = edge((clip[0] - origin[0]) * scaleX, w);
    scissor->top = edge((clip[1] - origin[1]) * scaleY, h);
    scissor->right = edge((clip[2] - origin[0]) * scaleX + 0.999f, w);
    scissor->bottom = edge((clip[3] - origin[1]) * scaleY + 0.999f, h);
    return scissor->right > scissor->left && scissor->bottom > scissor->top;
}

bool PanelRenderer::Create(gfx::Device* borrowedDevice, uint32_t width, uint32_t height,
                           const char* effectPath, ImFontAtlas* fonts, std::string* error) {
    device = borrowedDevice;
    backBufferWidth = width;
    backBufferHeight = height;
    gfx::Buffer* messages = nullptr;
    if (gfx::Failed(gfx::D3DXCreateEffectFromFileA(device, effectPath, nullptr, nullptr, 0, nullptr,
                                                   &effect, &messages))) {
        const char* text = messages ? static_cast<const char*>(messages->GetBufferPointer()) : "";
        *error = std::string("the panel's effect ") + effectPath + " did not compile: " +
                 std::string(text, messages ? strnlen(text, messages->GetBufferSize()) : 0);
        gfx::SafeRelease(messages);
        return false;
    }
    gfx::SafeRelease(messages);
    technique = effect->GetTechniqueByName(kPanelTechniqueName);
    if (!technique) {
        *error = std::string("the panel's effect ") + effectPath + " has no technique " +
                 kPanelTechniqueName;
        return false;
    }
    if (gfx::Failed(device->CreateVertexDeclaration(kPanelVertexElements, &declaration))) {
        *error = "the panel's vertex declaration was refused";
        return false;
    }
    unsigned char* pixels = nullptr;
    int atlasWidth = 0, atlasHeight = 0;
    fonts->GetTexDataAsRGBA32(&pixels, &atlasWidth, &atlasHeight);
    if (gfx::Failed(device->CreateTexture(uint32_t(atlasWidth), uint32_t(atlasHeight), 1, 0,
                                          gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_MANAGED,
                                          &fontTexture))) {
        *error = "the panel's font texture was refused";
        return false;
    }
    gfx::LockedRect locked;
    if (gfx::Failed(fontTexture->LockRect(0, &locked, nullptr, 0))) {
        *error = "the panel's font texture could not be locked";
        return false;
    }
    // RGBA bytes to A8R8G8B8's B, G, R, A.
    for (int y = 0; y < atlasHeight; ++y) {
        const uint8_t* from = pixels + size_t(y) * size_t(atlasWidth) * 4;
        uint8_t* to = static_cast<uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch);
        for (int x = 0; x < atlasWidth; ++x, from += 4, to += 4) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            to[3] = from[3];
        }
    }
    fontTexture->UnlockRect(0);
    fonts->SetTexID(static_cast<ImTextureID>(fontTexture));
    // The pixels stay with ImGui's atlas only while it is being built.
    fonts->ClearTexData();
    if (!Reserve(kFirstVertexCapacity, kFirstIndexCapacity)) {
        *error = "the panel's vertex or index buffer was refused";
        return false;
    }
    return true;
}

bool PanelRenderer::Reserve(uint32_t vertexCount, uint32_t indexCount) {
    if (vertexCount > vertexCapacity || !vertices) {
        const uint32_t capacity = std::max({vertexCount, vertexCapacity * 2, kFirstVertexCapacity});
        gfx::SafeRelease(vertices);
        vertexCapacity = 0;
        if (gfx::Failed(device->CreateVertexBuffer(capacity * uint32_t(sizeof(PanelVertex)),
                                                   gfx::D3DUSAGE_DYNAMIC, 0, gfx::D3DPOOL_DEFAULT,
                                                   &vertices, nullptr)))
            return false;
        vertexCapacity = capacity;
        ++bufferGrowths;
    }
    if (indexCount > indexCapacity || !indices) {
        const uint32_t capacity = std::max({indexCount, indexCapacity * 2, kFirstIndexCapacity});
        gfx::SafeRelease(indices);
        indexCapacity = 0;
        if (gfx::Failed(device->CreateIndexBuffer(capacity * uint32_t(sizeof(ImDrawIdx)),
                                                  gfx::D3DUSAGE_DYNAMIC, gfx::D3DFMT_INDEX16,
                                                  gfx::D3DPOOL_DEFAULT, &indices, nullptr)))
            return false;
        indexCapacity = capacity;
        ++bufferGrowths;
    }
    return true;
}

void PanelRenderer::Draw(const ImDrawData* data) {
    if (!data || !effect || !technique || data->TotalVtxCount <= 0 || data->DisplaySize.x <= 0 ||
        data->DisplaySize.y <= 0)
        return;
    if (!Reserve(uint32_t(data->TotalVtxCount), uint32_t(data->TotalIdxCount))) return;

    // The lists, one after the other, into the pair of buffers.
    void* vertexMemory = nullptr;
    void* indexMemory = nullptr;
    if (gfx::Failed(vertices->Lock(0, 0, &vertexMemory, 0))) return;
    if (gfx::Failed(
            indices->Lock(0, uint32_t(data->TotalIdxCount) * sizeof(ImDrawIdx), &indexMemory, 0))) {
        vertices->Unlock();
        return;
    }
    auto* vertexOut = static_cast<PanelVertex*>(vertexMemory);
    auto* indexOut = static_cast<ImDrawIdx*>(indexMemory);
    for (int n = 0; n < data->CmdListsCount; ++n) {
        const ImDrawList* list = data->CmdLists[n];
        for (const ImDrawVert& v : list->VtxBuffer)
            *vertexOut++ = PanelVertex{v.pos.x, v.pos.y, PanelColour(v.col), v.uv.x, v.uv.y};
        std::memcpy(indexOut, list->IdxBuffer.Data, size_t(list->IdxBuffer.Size) * 2);
        indexOut += list->IdxBuffer.Size;
    }
    vertices->Unlock();
    indices->Unlock();

    const SavedState saved = Save(device);
    for (const StateValue& s : kPanelStates) device->SetRenderState(s.state, s.value);
    for (size_t i = 0; i < std::size(kPanelSamplerStates); ++i)
        device->SetSamplerState(kPanelSampler, kPanelSamplerStates[i], kPanelFilters[i]);
    // The display fills the whole back buffer (it is the window's client
    // area, which the back buffer is shown stretched over).
    gfx::Viewport full;
    full.width = backBufferWidth;
    full.height = backBufferHeight;
    device->SetViewport(&full);
    const float left = data->DisplayPos.x, top = data->DisplayPos.y;
    const Matrix4 projection =
        PanelProjection(left, top, left + data->DisplaySize.x, top + data->DisplaySize.y);
    effect->SetMatrix("matProjection", &projection);
    effect->SetTexture("PanelTexture", fontTexture);
    effect->SetTechnique(technique);
    uint32_t passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertices, 0, sizeof(PanelVertex));
    device->SetIndices(indices);

    const float origin[2] = {left, top};
    const uint32_t width = backBufferWidth, height = backBufferHeight;
    const float scaleX = float(width) / data->DisplaySize.x;
    const float scaleY = float(height) / data->DisplaySize.y;
    int32_t vertexBase = 0;
    uint32_t indexBase = 0;
    for (int n = 0; n < data->CmdListsCount; ++n) {
        const ImDrawList* list = data->CmdLists[n];
        for (const ImDrawCmd& command : list->CmdBuffer) {
            if (command.UserCallback || command.ElemCount == 0) continue;
            gfx::Rect scissor;
            const float clip[4] = {command.ClipRect.x, command.ClipRect.y, command.ClipRect.z,
                                   command.ClipRect.w};
            if (!PanelScissor(clip, origin, scaleX, scaleY, width, height, &scissor)) continue;
            device->SetScissorRect(&scissor);
            const int32_t first = vertexBase + int32_t(command.VtxOffset);
            device->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, first, 0,
                                         uint32_t(list->VtxBuffer.Size) - command.VtxOffset,
                                         indexBase + command.IdxOffset, command.ElemCount / 3);
        }
        vertexBase += list->VtxBuffer.Size;
        indexBase += uint32_t(list->IdxBuffer.Size);
    }
    effect->EndPass();
    effect->End();
    Restore(device, saved);
}

void PanelRenderer::Release() {
    gfx::SafeRelease(indices);
    gfx::SafeRelease(vertices);
    gfx::SafeRelease(fontTexture);
    gfx::SafeRelease(declaration);
    gfx::SafeRelease(effect);
    technique = nullptr;
    vertexCapacity = indexCapacity = 0;
    device = nullptr;
}
