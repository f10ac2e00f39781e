#include "platform/gfx/core/device_rules.h"

#include "platform/gfx/core/log.h"

namespace gfx::rules {

namespace {

uint32_t ElementBytes(uint8_t type) {
    // NOLINTBEGIN(bugprone-branch-clone): one row per type, equal values included
    switch (type) {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_D3DCOLOR: return 4;
    case D3DDECLTYPE_UBYTE4: return 4;
    }
    // NOLINTEND(bugprone-branch-clone)
    return 0;
}

bool KnownUsage(uint8_t usage) {
    return usage == D3DDECLUSAGE_POSITION || usage == D3DDECLUSAGE_NORMAL ||
           usage == D3DDECLUSAGE_TEXCOORD || usage == D3DDECLUSAGE_COLOR;
}

}  // namespace

HRESULT ReadDeclaration(const char* call, const VertexElement* elements,
                        std::vector<VertexElement>* table, std::vector<ElementLayout>* layout) {
    if (!elements) return Refuse(call, "no element table");
    table->clear();
    layout->clear();
    uint32_t usages = 0;  // bit u set when usage u is declared
    for (uint32_t i = 0; i < kMaxDeclarationElements; ++i) {
        const VertexElement& e = elements[i];
        table->push_back(e);
        if (e.stream == D3DDECL_END.stream) return S_OK;
        if (e.stream >= kStreamCount)
            return Refuse(call, "element %u: stream %u (streams 0..%u)", i, e.stream,
                          kStreamCount - 1);
        uint32_t bytes = ElementBytes(e.type);
        if (bytes == 0) return Refuse(call, "element %u: type %u is not supported", i, e.type);
        if (!KnownUsage(e.usage) || e.usageIndex != 0)
            return Refuse(call, "element %u: usage %u index %u is not supported", i, e.usage,
                          e.usageIndex);
        if (usages & (1u << e.usage)) return Refuse(call, "element %u: usage %u twice", i, e.usage);
        usages |= 1u << e.usage;
        layout->push_back(ElementLayout{e.stream, e.offset, bytes, e.type, e.usage});
    }
    return Refuse(call, "no end marker within %u elements", kMaxDeclarationElements);
}

uint64_t VertexCount(PrimitiveType type, uint32_t primitiveCount) {
    uint64_t count = primitiveCount;
    // NOLINTBEGIN(bugprone-branch-clone): one row per type, equal values included
    switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return count * 2;
    case D3DPT_LINESTRIP: return count + 1;
    case D3DPT_TRIANGLELIST: return count * 3;
    case D3DPT_TRIANGLESTRIP: return count + 2;
    case D3DPT_TRIANGLEFAN: return count + 2;
    }
    // NOLINTEND(bugprone-branch-clone)
    return 0;
}

uint32_t ListVertices(PrimitiveType type) {
    switch (type) {
    case D3DPT_POINTLIST: return 1;
    case D3DPT_LINELIST: return 2;
    case D3DPT_TRIANGLELIST: return 3;
    default: return 0;
    }
}

}  // namespace gfx::rules
