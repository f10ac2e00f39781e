// The graphics device interfaces: the program's only road to the GPU.
//
// They are Direct3D-9-shaped: results are HRESULTs (negative means failure)
// and state ids keep their numbers (types.h). Three backends implement them:
// gl/ (OpenGL 4.5 core, the real one), null/ (no GPU work, for timing our
// own processor work) and recording/ (logs calls, for call-order tests); all
// pass every call through one front (device_front.h) that checks it, keeps
// the device state and reads texture files, so they accept and refuse the
// same calls and the same files.
//
// Lifetimes, the same for every object (object.h):
// - Objects are reference-counted: whoever stores one holds a reference and
//   releases it once; the object goes when its last reference is released.
// - Objects made by a device (buffers, declarations, textures, effects,
//   fonts) keep the device's backend alive while they exist, so they and
//   their device may be released in any order. A device whose last reference
//   goes while objects made on it are still referenced reports them (a leak);
//   those objects then refuse further work and release cleanly.
// - What is bound to a device (declaration, streams, indices) is held by the
//   device, and a texture set on an effect by the effect, until replaced or
//   until the holder goes. Holding is not a reference: the owner's last
//   Release still returns 0 and counts the object as released.
#pragma once

#include <cstdint>
#include <vector>

#include "math/matrix4.h"
#include "platform/gfx/core/object.h"
#include "platform/gfx/core/types.h"
#include "platform/window/core/win_types.h"

namespace gfx {

struct TextureFile;
struct TextureSupport;

class VertexBuffer : public Unknown {
public:
    // offset 0 and size 0 lock the whole buffer. The memory stays valid until
    // Unlock; what was written there is used by the draws after Unlock.
    virtual HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual uint32_t GetLength() const = 0;
};

class IndexBuffer : public Unknown {
public:
    virtual HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual HRESULT Unlock() = 0;
    virtual uint32_t GetLength() const = 0;
    virtual Format GetFormat() const = 0;
};

class VertexDeclaration : public Unknown {
public:
    // The elements, D3DDECL_END included; count receives their number.
    virtual const VertexElement* GetElements(uint32_t* count) const = 0;
};

class BaseTexture : public Unknown {
public:
    virtual ResourceType GetType() const = 0;
    virtual uint32_t GetLevelCount() const = 0;
};

class Texture : public BaseTexture {
public:
    virtual uint32_t GetWidth(uint32_t level) const = 0;
    virtual uint32_t GetHeight(uint32_t level) const = 0;
    // Only textures made by CreateTexture lock. rect null locks the whole
    // level; the memory (4 bytes a texel, rows `pitch` apart) stays valid
    // until UnlockRect, which hands what was written to the texture. A level
    // locks once at a time.
    virtual HRESULT LockRect(uint32_t level, LockedRect* locked, const Rect* rect,
                             uint32_t flags) = 0;
    virtual HRESULT UnlockRect(uint32_t level) = 0;
};

class CubeTexture : public BaseTexture {
public:
    virtual uint32_t GetEdgeLength(uint32_t level) const = 0;
};

// A block of bytes handed back by a creation call (compiler messages).
class Buffer : public Unknown {
public:
    virtual void* GetBufferPointer() = 0;
    virtual uint32_t GetBufferSize() const = 0;
};

// A parameter or technique named by its string: the name itself works as the
// handle, as do the handles that GetTechniqueByName returns.
using EffectHandle = const char*;

class Effect : public Unknown {
public:
    // Null when the effect has no technique of that name.
    virtual EffectHandle GetTechniqueByName(const char* name) = 0;
    virtual HRESULT SetTechnique(EffectHandle technique) = 0;
    // Starts the current technique; passes receives its number of passes.
    virtual HRESULT Begin(uint32_t* passes, uint32_t flags) = 0;
    virtual HRESULT BeginPass(uint32_t pass) = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;
    // Setting a parameter the effect does not have is harmless (it fails
    // quietly). In the effect, mul(p, M) equals p × M for the Matrix4 given.
    virtual HRESULT SetMatrix(EffectHandle parameter, const Matrix4* value) = 0;
    virtual HRESULT SetVector(EffectHandle parameter, const Vector4* value) = 0;
    virtual HRESULT SetFloat(EffectHandle parameter, float value) = 0;
    virtual HRESULT SetTexture(EffectHandle parameter, BaseTexture* value) = 0;
};

class Font : public Unknown {
public:
    // text: code-page-949 bytes; count −1 means zero-terminated. Drawn on one
    // line at the rectangle's top left, clipped to it, in the ARGB colour.
    // Returns the height of the drawn text, 0 when nothing was drawn.
    virtual int DrawTextA(void* sprite, const char* text, int count, Rect* rect, uint32_t format,
                          uint32_t color) = 0;
};

class Device : public Unknown {
public:
    virtual HRESULT CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, Pool pool,
                                       VertexBuffer** buffer, void* sharedHandle) = 0;
    virtual HRESULT CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool,
                                      IndexBuffer** buffer, void* sharedHandle) = 0;
    virtual HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                            VertexDeclaration** declaration) = 0;
    // BMP, TGA, PNG, JPEG and DDS files.
    virtual HRESULT CreateTextureFromFile(const char* path, Texture** texture) = 0;
    // A texture filled through LockRect: D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8,
    // levels 0 for the whole mip chain (each level written on its own),
    // usage 0 or D3DUSAGE_DYNAMIC, pool D3DPOOL_DEFAULT or D3DPOOL_MANAGED.
    virtual HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                  Format format, Pool pool, Texture** texture) = 0;
    // DDS cube maps.
    virtual HRESULT CreateCubeTextureFromFile(const char* path, CubeTexture** texture) = 0;
    // A cube map file read ahead, off the device (ReadTextureFile from path
    // as TextureShape::Cube with support): the texture CreateCubeTextureFromFile
    // would make of path. A file read with a support other than the device's
    // own is read again from path, so the same files are refused with the
    // same messages either way. Ours: start-up reads its files while the
    // window opens.
    virtual HRESULT CreateCubeTextureFromPrepared(const char* path, const TextureFile& file,
                                                  const TextureSupport& support,
                                                  CubeTexture** texture) = 0;
    // An effect file (HLSL with technique/pass blocks). On failure errors, if
    // not null, may receive the messages as a zero-terminated text.
    virtual HRESULT CreateEffectFromFile(const char* path, uint32_t flags, Effect** effect,
                                         Buffer** errors) = 0;
    virtual HRESULT CreateFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                               int32_t italic, uint32_t charSet, uint32_t outputPrecision,
                               uint32_t quality, uint32_t pitchAndFamily, const char* faceName,
                               Font** font) = 0;

    virtual HRESULT SetRenderState(RenderState state, uint32_t value) = 0;
    virtual HRESULT GetRenderState(RenderState state, uint32_t* value) = 0;
    virtual HRESULT SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) = 0;
    virtual HRESULT GetSamplerState(uint32_t sampler, SamplerState type, uint32_t* value) = 0;
    // Fixed-function lighting does not exist here: accepted and ignored.
    virtual HRESULT LightEnable(uint32_t index, int32_t enable) = 0;
    virtual HRESULT SetViewport(const Viewport* viewport) = 0;
    virtual HRESULT GetViewport(Viewport* viewport) = 0;
    // What D3DRS_SCISSORTESTENABLE limits drawing and clearing to: inside
    // the back buffer, left <= right, top <= bottom. The whole back buffer
    // at first.
    virtual HRESULT SetScissorRect(const Rect* rect) = 0;
    virtual HRESULT GetScissorRect(Rect* rect) = 0;
    virtual HRESULT SetVertexDeclaration(VertexDeclaration* declaration) = 0;
    virtual HRESULT SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                                    uint32_t stride) = 0;
    virtual HRESULT SetIndices(IndexBuffer* buffer) = 0;

    virtual HRESULT Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color,
                          float z, uint32_t stencil) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Present(const Rect* sourceRect, const Rect* destRect, HWND overrideWindow,
                            const void* dirtyRegion) = 0;
    virtual HRESULT DrawPrimitive(PrimitiveType type, uint32_t startVertex,
                                  uint32_t primitiveCount) = 0;
    virtual HRESULT DrawIndexedPrimitive(PrimitiveType type, int32_t baseVertexIndex,
                                         uint32_t minVertexIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount) = 0;

    // The back buffer as RGBA rows from the top of the picture down (after
    // the draws held back are made). D3DERR_NOTAVAILABLE on a device that
    // draws no pixels.
    virtual HRESULT GetBackBufferPixels(uint32_t* width, uint32_t* height,
                                        std::vector<uint8_t>* rgba) = 0;

    // How Present waits from now on (playback: --vsync and the panel's
    // switch): D3DPRESENT_INTERVAL_ONE (or DEFAULT) for the display's next
    // refresh, D3DPRESENT_INTERVAL_IMMEDIATE not at all. Direct3D 9 changes
    // it only by resetting the device; ours changes it in place.
    virtual HRESULT SetPresentInterval(uint32_t interval) = 0;
    // Makes the back buffer width × height pixels (1 to 16384 each; its
    // contents are lost) and the viewport all of it, outside a scene: the
    // viewer panel's window follows its client size. Direct3D 9 resets the
    // device for it; ours keeps every object.
    virtual HRESULT ResizeBackBuffer(uint32_t width, uint32_t height) = 0;

    // Objects created on this device and not yet released.
    virtual uint32_t GetLiveObjectCount() const = 0;
};

class Direct3D : public Unknown {
public:
    virtual HRESULT GetDeviceCaps(uint32_t adapter, DeviceType type, Caps* caps) = 0;
    virtual HRESULT CreateDevice(uint32_t adapter, DeviceType type, HWND focusWindow,
                                 uint32_t behaviorFlags, PresentParameters* parameters,
                                 Device** device) = 0;
    // Why the last CreateDevice found no device to make here, for the person
    // starting the program ("OpenGL 4.5 core profile needed; this display
    // offers 3.3 (llvmpipe)"); "" when it made one or was called wrongly.
    virtual const char* GetCreationFailure() const = 0;
};

// Makes the Direct3D object of one backend (one reference); null for another
// SDK version or when the backend cannot start. The program is handed the
// one it runs on (platform/gfx/devices), tests the recording one.
using Direct3DFactory = Direct3D* (*)(uint32_t sdkVersion);

// Creation helpers with the utility library's names; they forward to the device.
HRESULT D3DXCreateTextureFromFileA(Device* device, const char* path, Texture** texture);
HRESULT D3DXCreateCubeTextureFromFileA(Device* device, const char* path, CubeTexture** texture);
HRESULT D3DXCreateEffectFromFileA(Device* device, const char* path, const void* defines,
                                  void* include, uint32_t flags, void* pool, Effect** effect,
                                  Buffer** errors);
HRESULT D3DXCreateFontA(Device* device, int32_t height, uint32_t width, uint32_t weight,
                        uint32_t mipLevels, int32_t italic, uint32_t charSet,
                        uint32_t outputPrecision, uint32_t quality, uint32_t pitchAndFamily,
                        const char* faceName, Font** font);

// Releases *object if set and clears the pointer.
template <typename T>
void SafeRelease(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace gfx
