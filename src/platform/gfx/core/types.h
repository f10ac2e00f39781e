// Result codes, state ids and records of the graphics device layer.
//
// Ids and values keep their Direct3D 9 numbers (fill mode 3 solid and 2
// wireframe, cull 1, 2, 3, ...), so a recorded call log compares directly
// with the numbers the program passes.
#pragma once

#include <cstdint>

namespace gfx {

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
inline bool Failed(HRESULT result) { return result < 0; }
inline bool Succeeded(HRESULT result) { return result >= 0; }

constexpr uint32_t D3D_SDK_VERSION = 32;
constexpr uint32_t D3DADAPTER_DEFAULT = 0;

enum DeviceType : uint32_t { D3DDEVTYPE_HAL = 1 };

// Behaviour flags of CreateDevice.
constexpr uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
// Caps::DevCaps bit.
constexpr uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000;

enum Format : uint32_t {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_A8B8G8R8 = 32,
    D3DFMT_D24S8 = 75,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
    D3DFMT_DXT1 = 0x31545844,  // 'DXT1'
    D3DFMT_DXT3 = 0x33545844,  // 'DXT3'
    D3DFMT_DXT5 = 0x35545844,  // 'DXT5'
};

// Usage flags of a texture made in memory (CreateTexture).
constexpr uint32_t D3DUSAGE_DYNAMIC = 0x200;

enum Pool : uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };

enum SwapEffect : uint32_t { D3DSWAPEFFECT_DISCARD = 1 };
enum MultiSampleType : uint32_t { D3DMULTISAMPLE_NONE = 0 };
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;  // as ONE
constexpr uint32_t D3DPRESENT_INTERVAL_ONE = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

enum RenderState : uint32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_LIGHTING = 137,
    D3DRS_SCISSORTESTENABLE = 174,
};

enum FillMode : uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum CullMode : uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum ZBufferType : uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum Blend : uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11,
};

enum SamplerState : uint32_t {
    D3DSAMP_MAGFILTER = 5,
    D3DSAMP_MINFILTER = 6,
    D3DSAMP_MIPFILTER = 7,
};
enum TextureFilter : uint32_t {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
    D3DTEXF_ANISOTROPIC = 3,
};

enum PrimitiveType : uint32_t {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

// Clear flags.
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr uint32_t D3DCLEAR_STENCIL = 0x4;

// Vertex declaration element.
enum DeclType : uint8_t {
    D3DDECLTYPE_FLOAT1 = 0,
    D3DDECLTYPE_FLOAT2 = 1,
    D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3,
    D3DDECLTYPE_D3DCOLOR = 4,  // bytes B, G, R, A, normalised
    D3DDECLTYPE_UBYTE4 = 5,
    D3DDECLTYPE_UNUSED = 17,
};
enum DeclMethod : uint8_t { D3DDECLMETHOD_DEFAULT = 0 };
enum DeclUsage : uint8_t {
    D3DDECLUSAGE_POSITION = 0,
    D3DDECLUSAGE_NORMAL = 3,
    D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_COLOR = 10,
};

struct VertexElement {
    uint16_t stream;
    uint16_t offset;
    uint8_t type;
    uint8_t method;
    uint8_t usage;
    uint8_t usageIndex;
};
// The terminating element of a declaration table.
constexpr VertexElement D3DDECL_END = {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0};

struct Viewport {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Memory handed out by Texture::LockRect: the first byte of the locked
// rectangle and the bytes from one row to the next.
struct LockedRect {
    int32_t pitch = 0;
    void* bits = nullptr;
};

struct Vector4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    Format backBufferFormat = D3DFMT_UNKNOWN;
    uint32_t backBufferCount = 0;
    MultiSampleType multiSampleType = D3DMULTISAMPLE_NONE;
    uint32_t multiSampleQuality = 0;
    uint32_t swapEffect = 0;
    void* deviceWindow = nullptr;
    int32_t windowed = 0;
    int32_t enableAutoDepthStencil = 0;
    Format autoDepthStencilFormat = D3DFMT_UNKNOWN;
    uint32_t flags = 0;
    uint32_t fullScreenRefreshRateInHz = 0;
    uint32_t presentationInterval = 0;
};

struct Caps {
    uint32_t deviceType = 0;
    uint32_t adapterOrdinal = 0;
    uint32_t devCaps = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
};

enum class ResourceType : uint32_t { Texture = 3, CubeTexture = 5 };

// Effect flags.
constexpr uint32_t D3DXSHADER_DEBUG = 1;

// Font arguments.
constexpr uint32_t FW_BOLD = 700;
constexpr uint32_t DEFAULT_CHARSET = 1;
constexpr uint32_t OUT_DEFAULT_PRECIS = 0;
constexpr uint32_t DEFAULT_QUALITY = 0;
constexpr uint32_t DEFAULT_PITCH = 0;
constexpr uint32_t FF_DONTCARE = 0;

}  // namespace gfx
