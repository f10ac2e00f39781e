#include "support/device_refusals.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "model/skin_vertex.h"
#include "scene/effect_setup.h"
#include "support/log_capture.h"

namespace rrtest {

namespace {

using namespace gfx;

struct Bound {
    Device* device;
    Ref<VertexBuffer> vertices;  // three SkinVertex, bound to stream 0
    Ref<IndexBuffer> indices;    // three 16-bit indices, bound
    Ref<Texture> texture;        // 8 x 4, made in memory, 4 levels
    Viewport full;               // the whole back buffer
};

struct Case {
    const char* name;
    std::function<HRESULT(Bound&)> call;
    HRESULT expected;
    const char* reason;  // what the log line holds; null: nothing is logged
};

// An element table of the given elements and the end marker.
template <typename... Elements>
HRESULT Declare(Device* device, Elements... elements) {
    const VertexElement table[] = {elements..., D3DDECL_END};
    Ref<VertexDeclaration> made;
    return device->CreateVertexDeclaration(table, made.Receive());
}

// CreateTexture in memory, the texture released at once.
std::function<HRESULT(Bound&)> MadeTexture(uint32_t width, uint32_t height, uint32_t levels,
                                           uint32_t usage, Format format,
                                           Pool pool = D3DPOOL_MANAGED) {
    return [=](Bound& b) {
        Ref<Texture> made;
        return b.device->CreateTexture(width, height, levels, usage, format, pool, made.Receive());
    };
}

// LockRect of the bound texture's level (of part, when given; into no
// output when output is false) while level held, when not negative, is
// locked; every lock made is undone. The first failure is the result, and
// a lock that succeeds must give the level's pitch and its bits.
std::function<HRESULT(Bound&)> Locked(uint32_t level, std::optional<Rect> part = {}, int held = -1,
                                      bool output = true) {
    return [=](Bound& b) {
        LockedRect locked;
        HRESULT result =
            held >= 0 ? b.texture->LockRect(uint32_t(held), &locked, nullptr, 0) : S_OK;
        if (Failed(result)) return result;
        result = b.texture->LockRect(level, output ? &locked : nullptr, part ? &*part : nullptr, 0);
        if (Succeeded(result)) {
            if (locked.pitch != int32_t(4 * (8u >> level)) || !locked.bits) result = E_FAIL;
            const HRESULT unlocked = b.texture->UnlockRect(level);
            result = Failed(result) ? result : unlocked;
        }
        const HRESULT unlocked = held >= 0 ? b.texture->UnlockRect(uint32_t(held)) : S_OK;
        return Failed(result) ? result : unlocked;
    };
}

constexpr VertexElement kPosition = {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0};

const Case kCases[] = {
    {"known state and value",
     [](Bound& b) { return b.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE); }, S_OK,
     nullptr},
    {"switch state takes any value",
     [](Bound& b) { return b.device->SetRenderState(D3DRS_LIGHTING, 7); }, S_OK, nullptr},
    {"unknown state", [](Bound& b) { return b.device->SetRenderState(RenderState(999), 1); },
     D3DERR_INVALIDCALL, "state 999"},
    {"cull mode 4", [](Bound& b) { return b.device->SetRenderState(D3DRS_CULLMODE, 4); },
     D3DERR_INVALIDCALL, "D3DRS_CULLMODE: 4"},
    {"W-buffer", [](Bound& b) { return b.device->SetRenderState(D3DRS_ZENABLE, 2); },
     D3DERR_INVALIDCALL, "D3DRS_ZENABLE: 2"},
    {"sampler 8",
     [](Bound& b) { return b.device->SetSamplerState(8, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR); },
     D3DERR_INVALIDCALL, "sampler 8"},
    {"filter 99", [](Bound& b) { return b.device->SetSamplerState(0, D3DSAMP_MAGFILTER, 99); },
     D3DERR_INVALIDCALL, "D3DSAMP_MAGFILTER: 99"},
    {"unknown sampler state",
     [](Bound& b) { return b.device->SetSamplerState(0, SamplerState(1), 1); }, D3DERR_INVALIDCALL,
     "state 1"},
    {"viewport past the back buffer",
     [](Bound& b) {
         Viewport wide = b.full;
         wide.width += 1;
         return b.device->SetViewport(&wide);
     },
     D3DERR_INVALIDCALL, "not inside"},
    {"stream 4", [](Bound& b) { return b.device->SetStreamSource(4, b.vertices.get(), 0, 24); },
     D3DERR_INVALIDCALL, "stream 4"},
    {"index format",
     [](Bound& b) {
         Ref<IndexBuffer> made;
         return b.device->CreateIndexBuffer(6, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, made.Receive(),
                                            nullptr);
     },
     D3DERR_INVALIDCALL, "no index format"},
    {"empty vertex buffer",
     [](Bound& b) {
         Ref<VertexBuffer> made;
         return b.device->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, made.Receive(), nullptr);
     },
     D3DERR_INVALIDCALL, "length 0"},
    {"usage twice", [](Bound& b) { return Declare(b.device, kPosition, kPosition); },
     D3DERR_INVALIDCALL, "usage 0 twice"},
    {"element type 40",
     [](Bound& b) {
         return Declare(b.device, VertexElement{0, 0, 40, 0, D3DDECLUSAGE_POSITION, 0});
     },
     D3DERR_INVALIDCALL, "type 40"},
    {"element stream 4",
     [](Bound& b) {
         return Declare(b.device,
                        VertexElement{4, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0});
     },
     D3DERR_INVALIDCALL, "stream 4"},
    {"clear nothing", [](Bound& b) { return b.device->Clear(0, nullptr, 0, 0, 1.0f, 0); },
     D3DERR_INVALIDCALL, "nothing to clear"},
    {"rectangles missing",
     [](Bound& b) { return b.device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); },
     D3DERR_INVALIDCALL, "rectangle"},
    {"end without begin", [](Bound& b) { return b.device->EndScene(); }, D3DERR_INVALIDCALL,
     "no scene"},
    {"present interval 2", [](Bound& b) { return b.device->SetPresentInterval(2); },
     D3DERR_INVALIDCALL, "interval 0x2"},
    {"present interval immediate",
     [](Bound& b) { return b.device->SetPresentInterval(D3DPRESENT_INTERVAL_IMMEDIATE); }, S_OK,
     nullptr},
    {"back buffer 0 wide", [](Bound& b) { return b.device->ResizeBackBuffer(0, 16); },
     D3DERR_INVALIDCALL, "1 to 16384 pixels"},
    {"back buffer 16385 high", [](Bound& b) { return b.device->ResizeBackBuffer(16, 16385); },
     D3DERR_INVALIDCALL, "16 x 16385"},
    {"back buffer of the same size",
     [](Bound& b) { return b.device->ResizeBackBuffer(b.full.width, b.full.height); }, S_OK,
     nullptr},
    {"back buffer resized inside a scene",
     [](Bound& b) {
         b.device->BeginScene();
         HRESULT resized = b.device->ResizeBackBuffer(b.full.width + 1, b.full.height);
         b.device->EndScene();
         return resized;
     },
     D3DERR_INVALIDCALL, "inside BeginScene"},
    {"begin twice",
     [](Bound& b) {
         b.device->BeginScene();
         HRESULT second = b.device->BeginScene();
         b.device->EndScene();
         return second;
     },
     D3DERR_INVALIDCALL, "already open"},
    {"draw inside the buffer",
     [](Bound& b) { return b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1); }, S_OK, nullptr},
    {"no primitives", [](Bound& b) { return b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0); },
     D3DERR_INVALIDCALL, "0 primitives"},
    {"primitive type 99", [](Bound& b) { return b.device->DrawPrimitive(PrimitiveType(99), 0, 1); },
     D3DERR_INVALIDCALL, "type 99"},
    {"vertices past the buffer",
     [](Bound& b) { return b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1); }, D3DERR_INVALIDCALL,
     "vertex 3 of stream 0"},
    {"huge primitive count",
     [](Bound& b) { return b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0xFFFFFFFFu); },
     D3DERR_INVALIDCALL, "of stream 0"},
    {"indexed inside",
     [](Bound& b) { return b.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1); },
     S_OK, nullptr},
    {"indices past the buffer",
     [](Bound& b) { return b.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 1, 1); },
     D3DERR_INVALIDCALL, "indices 1..3"},
    {"indexed vertices past the buffer",
     [](Bound& b) { return b.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 3, 0, 1); },
     D3DERR_INVALIDCALL, "vertex 3 of stream 0"},
    {"no vertices",
     [](Bound& b) { return b.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 0, 0, 1); },
     D3DERR_INVALIDCALL, "no vertices"},
    {"lock past the end",
     [](Bound& b) {
         void* data = nullptr;
         return b.vertices->Lock(8, 72, &data, 0);
     },
     D3DERR_INVALIDCALL, "run past"},
    {"unlock unlocked", [](Bound& b) { return b.vertices->Unlock(); }, D3DERR_INVALIDCALL,
     "not locked"},
    {"no stream buffer",
     [](Bound& b) {
         b.device->SetStreamSource(0, nullptr, 0, 0);
         return b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
     },
     D3DERR_INVALIDCALL, "stream 0 has no vertex buffer"},
    {"no index buffer",
     [](Bound& b) {
         b.device->SetIndices(nullptr);
         return b.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1);
     },
     D3DERR_INVALIDCALL, "no index buffer"},
    {"no declaration",
     [](Bound& b) {
         b.device->SetVertexDeclaration(nullptr);
         return b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
     },
     D3DERR_INVALIDCALL, "no vertex declaration"},
    {"read-back without outputs",
     [](Bound& b) { return b.device->GetBackBufferPixels(nullptr, nullptr, nullptr); },
     D3DERR_INVALIDCALL, "no output pointer"},
    {"texture in memory", MadeTexture(8, 4, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8), S_OK, nullptr},
    {"texture in memory, compressed", MadeTexture(8, 4, 1, 0, D3DFMT_DXT1), D3DERR_INVALIDCALL,
     "cannot be made in memory"},
    {"texture in memory, no width", MadeTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8), D3DERR_INVALIDCALL,
     "0 x 4"},
    {"texture in memory, wider than the device's largest",
     MadeTexture(1u << 20, 1, 1, 0, D3DFMT_A8R8G8B8), D3DERR_INVALIDCALL, "1048576 x 1"},
    {"texture in memory, more levels than its chain", MadeTexture(8, 4, 5, 0, D3DFMT_A8R8G8B8),
     D3DERR_INVALIDCALL, "at most 4"},
    {"texture in memory, render target usage", MadeTexture(8, 4, 1, 1, D3DFMT_A8R8G8B8),
     D3DERR_INVALIDCALL, "usage 0x1"},
    {"texture in memory, system memory",
     MadeTexture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), D3DERR_INVALIDCALL, "pool 2"},
    {"lock a level and a rectangle", Locked(0, Rect{2, 1, 4, 2}, 1), S_OK, nullptr},
    {"lock a level twice", Locked(0, {}, 0), D3DERR_INVALIDCALL, "already locked"},
    {"lock past the last level", Locked(4), D3DERR_INVALIDCALL, "level 4 (levels 0..3)"},
    {"lock a rectangle past the level", Locked(0, Rect{0, 0, 9, 1}), D3DERR_INVALIDCALL,
     "not inside level 0"},
    {"lock without output", Locked(0, {}, -1, false), D3DERR_INVALIDCALL, "no output pointer"},
    {"unlock an unlocked level", [](Bound& b) { return b.texture->UnlockRect(0); },
     D3DERR_INVALIDCALL, "level 0 is not locked"},
    {"scissor inside",
     [](Bound& b) {
         const Rect inside{0, 0, 10, 10};
         return b.device->SetScissorRect(&inside);
     },
     S_OK, nullptr},
    {"scissor test on",
     [](Bound& b) { return b.device->SetRenderState(D3DRS_SCISSORTESTENABLE, 1); }, S_OK, nullptr},
    {"scissor upside down",
     [](Bound& b) {
         const Rect inverted{0, 10, 10, 0};
         return b.device->SetScissorRect(&inverted);
     },
     D3DERR_INVALIDCALL, "(0, 10)..(10, 0) is not inside"},
    {"scissor past the back buffer",
     [](Bound& b) {
         Rect wide{0, 0, int32_t(b.full.width) + 1, int32_t(b.full.height)};
         return b.device->SetScissorRect(&wide);
     },
     D3DERR_INVALIDCALL, "is not inside"},
    {"scissor missing", [](Bound& b) { return b.device->SetScissorRect(nullptr); },
     D3DERR_INVALIDCALL, "no rectangle"},
    {"sampler state of sampler 8",
     [](Bound& b) {
         uint32_t value = 0;
         return b.device->GetSamplerState(8, D3DSAMP_MINFILTER, &value);
     },
     D3DERR_INVALIDCALL, "sampler 8"},
    {"texture without a path",
     [](Bound& b) {
         Ref<Texture> made;
         return b.device->CreateTextureFromFile(nullptr, made.Receive());
     },
     D3DERR_INVALIDCALL, "no path"},
};

}  // namespace

void CheckDeviceRefusals(Device* device) {
    Bound bound{device, {}, {}, {}, {}};
    ASSERT_EQ(device->GetViewport(&bound.full), S_OK);
    ASSERT_EQ(device->CreateVertexBuffer(3 * sizeof(SkinVertex), 0, 0, D3DPOOL_DEFAULT,
                                         bound.vertices.Receive(), nullptr),
              S_OK);
    ASSERT_EQ(device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                        bound.indices.Receive(), nullptr),
              S_OK);
    ASSERT_EQ(device->CreateTexture(8, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                    bound.texture.Receive()),
              S_OK);
    Ref<VertexDeclaration> declaration;
    ASSERT_EQ(device->CreateVertexDeclaration(kSkinVertexElements, declaration.Receive()), S_OK);
    device->SetVertexDeclaration(declaration.get());
    device->SetStreamSource(0, bound.vertices.get(), 0, sizeof(SkinVertex));
    device->SetIndices(bound.indices.get());
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_EQ(c.call(bound), c.expected);
        if (c.reason) {
            ASSERT_EQ(log.Lines().size(), 1u) << log.Text();
            EXPECT_TRUE(log.Contains(c.reason)) << log.Text();
        } else {
            EXPECT_TRUE(log.Lines().empty()) << log.Text();
        }
    }
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    device->SetVertexDeclaration(nullptr);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, 0);
}

void CheckCreateDeviceRefusals(Direct3D* d3d) {
    struct Refusal {
        const char* name;
        uint32_t adapter;
        void (*change)(PresentParameters*);
        HRESULT expected;
    } refusals[] = {
        {"second adapter", 1, [](PresentParameters*) {}, D3DERR_INVALIDCALL},
        {"full screen", 0, [](PresentParameters* p) { p->windowed = 0; }, D3DERR_NOTAVAILABLE},
        {"16-bit depth", 0, [](PresentParameters* p) { p->autoDepthStencilFormat = Format(80); },
         D3DERR_NOTAVAILABLE},
        {"back buffer format", 0,
         [](PresentParameters* p) { p->backBufferFormat = D3DFMT_A8B8G8R8; }, D3DERR_NOTAVAILABLE},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        PresentParameters parameters;
        parameters.windowed = 1;
        parameters.enableAutoDepthStencil = 1;
        parameters.autoDepthStencilFormat = D3DFMT_D24S8;
        r.change(&parameters);
        LogCapture log;
        Device* device = reinterpret_cast<Device*>(1);
        EXPECT_EQ(d3d->CreateDevice(r.adapter, D3DDEVTYPE_HAL, nullptr,
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device),
                  r.expected);
        EXPECT_EQ(device, nullptr);
        ASSERT_EQ(log.Lines().size(), 1u) << log.Text();
        // The reason is kept where no device can be had, not for a wrong call.
        const std::string failure = d3d->GetCreationFailure();
        if (r.expected == D3DERR_NOTAVAILABLE) {
            EXPECT_TRUE(!failure.empty() && log.Contains(failure)) << failure;
        } else {
            EXPECT_EQ(failure, "");
        }
    }
    Caps caps;
    ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), S_OK);
    EXPECT_TRUE(caps.devCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(caps.maxTextureWidth, 16384u);
}

}  // namespace rrtest
