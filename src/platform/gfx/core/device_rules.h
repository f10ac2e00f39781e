// What a device accepts and starts with, written once for every backend: the
// render and sampler states with their defaults and accepted values, the
// vertex element types and usages, and the capabilities the device reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/gfx/core/types.h"

namespace gfx::rules {

constexpr uint32_t kStreamCount = 4;
constexpr uint32_t kSamplerCount = 8;
// A declaration table without its end marker is not read past this many elements.
constexpr uint32_t kMaxDeclarationElements = 64;
// Any value: the state is a switch, nonzero turns it on.
constexpr uint32_t kAnyValue = UINT32_MAX;

struct RenderStateRule {
    RenderState state;
    const char* name;
    uint32_t defaultValue;
    uint32_t minimum;
    uint32_t maximum;
};

inline constexpr RenderStateRule kRenderStates[] = {
    // The default holds with a depth buffer; without one it is D3DZB_FALSE.
    // There is no W-buffer (D3DZB_USEW, 2).
    {D3DRS_ZENABLE, "D3DRS_ZENABLE", D3DZB_TRUE, D3DZB_FALSE, D3DZB_TRUE},
    {D3DRS_FILLMODE, "D3DRS_FILLMODE", D3DFILL_SOLID, D3DFILL_POINT, D3DFILL_SOLID},
    {D3DRS_ZWRITEENABLE, "D3DRS_ZWRITEENABLE", 1, 0, kAnyValue},
    {D3DRS_CULLMODE, "D3DRS_CULLMODE", D3DCULL_CCW, D3DCULL_NONE, D3DCULL_CCW},
    {D3DRS_ALPHABLENDENABLE, "D3DRS_ALPHABLENDENABLE", 0, 0, kAnyValue},
    // Blending starts as source alpha over (not Direct3D's ONE, ZERO): what
    // enabling it has always done on this device.
    {D3DRS_SRCBLEND, "D3DRS_SRCBLEND", D3DBLEND_SRCALPHA, D3DBLEND_ZERO, D3DBLEND_SRCALPHASAT},
    {D3DRS_DESTBLEND, "D3DRS_DESTBLEND", D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_SRCALPHASAT},
    // Fixed-function lighting does not exist on a GL core context: these are
    // kept for GetRenderState and change nothing drawn.
    {D3DRS_SPECULARENABLE, "D3DRS_SPECULARENABLE", 0, 0, kAnyValue},
    {D3DRS_LIGHTING, "D3DRS_LIGHTING", 1, 0, kAnyValue},
    // Draws and clears are cut to the scissor rectangle while it is on.
    {D3DRS_SCISSORTESTENABLE, "D3DRS_SCISSORTESTENABLE", 0, 0, kAnyValue},
};
constexpr size_t kRenderStateCount = std::size(kRenderStates);

// Where a state stands in kRenderStates; -1 for a state the device does not keep.
constexpr int RenderStateIndex(RenderState state) {
    for (size_t i = 0; i < kRenderStateCount; ++i)
        if (kRenderStates[i].state == state) return int(i);
    return -1;
}

struct SamplerStateRule {
    SamplerState type;
    const char* name;
    uint32_t defaultValue;
};

// Filters from D3DTEXF_NONE to D3DTEXF_ANISOTROPIC are accepted.
inline constexpr SamplerStateRule kSamplerStates[] = {
    {D3DSAMP_MAGFILTER, "D3DSAMP_MAGFILTER", D3DTEXF_POINT},
    {D3DSAMP_MINFILTER, "D3DSAMP_MINFILTER", D3DTEXF_POINT},
    {D3DSAMP_MIPFILTER, "D3DSAMP_MIPFILTER", D3DTEXF_NONE},
};
constexpr size_t kSamplerStateCount = std::size(kSamplerStates);

constexpr int SamplerStateIndex(SamplerState type) {
    for (size_t i = 0; i < kSamplerStateCount; ++i)
        if (kSamplerStates[i].type == type) return int(i);
    return -1;
}

// The capabilities both backends report: vertex processing in hardware (the
// GL pipeline's vertex shaders) and the texture size GL 4.5 guarantees.
constexpr uint32_t kDevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
constexpr uint32_t kMaxTextureEdge = 16384;

// One element of a declaration as the device reads it.
struct ElementLayout {
    uint32_t stream = 0;
    uint32_t offset = 0;
    uint32_t bytes = 0;  // size of the element in the vertex
    uint8_t type = 0;    // D3DDECLTYPE_*
    uint8_t usage = 0;   // D3DDECLUSAGE_*
};

// Reads a declaration table up to its end marker: element types FLOAT1 to
// FLOAT4, D3DCOLOR and UBYTE4; usages POSITION, NORMAL, TEXCOORD and COLOR
// with usage index 0, each at most once; streams below kStreamCount. On
// success table receives the elements with the end marker, layout one entry
// per element. A refusal is logged under call's name.
HRESULT ReadDeclaration(const char* call, const VertexElement* elements,
                        std::vector<VertexElement>* table, std::vector<ElementLayout>* layout);

// Vertices that primitiveCount primitives of a type use; 0 for an unknown type.
uint64_t VertexCount(PrimitiveType type, uint32_t primitiveCount);
// Vertices of one primitive of a list type, whose draws can be joined end to
// end into one; 0 for strips, fans and unknown types.
uint32_t ListVertices(PrimitiveType type);

}  // namespace gfx::rules
