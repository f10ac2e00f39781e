// The null backend (null_backend.h).
#include "platform/gfx/null/null_backend.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/gfx/core/device_objects.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/image/dds.h"
#include "platform/gfx/image/image.h"

namespace gfx::null {

namespace {

EffectFactory effectFactory = nullptr;
FontFactory fontFactory = nullptr;

uint32_t LevelEdge(uint32_t edge, uint32_t level) {
    uint32_t e = level < 32 ? edge >> level : 0;
    return e ? e : 1;
}

uint32_t FullChainLength(uint32_t width, uint32_t height) {
    uint32_t edge = width > height ? width : height, levels = 1;
    for (; edge > 1; edge >>= 1) ++levels;
    return levels;
}

class NullBuffer final : public VertexBufferObject {
public:
    NullBuffer(DeviceFront& device, uint32_t length) : VertexBufferObject(device, length) {}
};

class NullIndexBuffer final : public IndexBufferObject {
public:
    NullIndexBuffer(DeviceFront& device, uint32_t length, Format format)
        : IndexBufferObject(device, length, format) {}
};

class NullDeclaration final : public DeclarationObject {
public:
    NullDeclaration(DeviceFront& device, std::vector<VertexElement> table,
                    std::vector<rules::ElementLayout> layout)
        : DeclarationObject(device, std::move(table), std::move(layout)) {}
};

class NullTexture final : public DeviceChild<Texture> {
public:
    NullTexture(DeviceFront& device, uint32_t width, uint32_t height, uint32_t levels)
        : DeviceChild<Texture>(device), width_(width), height_(height), levels_(levels) {}
    ResourceType GetType() const override { return ResourceType::Texture; }
    uint32_t GetLevelCount() const override { return levels_; }
    uint32_t GetWidth(uint32_t level) const override { return level < levels_ ? LevelEdge(width_, level) : 0; }
    uint32_t GetHeight(uint32_t level) const override { return level < levels_ ? LevelEdge(height_, level) : 0; }

private:
    uint32_t width_, height_, levels_;
};

class NullCubeTexture final : public DeviceChild<CubeTexture> {
public:
    NullCubeTexture(DeviceFront& device, uint32_t edge, uint32_t levels)
        : DeviceChild<CubeTexture>(device), edge_(edge), levels_(levels) {}
    ResourceType GetType() const override { return ResourceType::CubeTexture; }
    uint32_t GetLevelCount() const override { return levels_; }
    uint32_t GetEdgeLength(uint32_t level) const override { return level < levels_ ? LevelEdge(edge_, level) : 0; }

private:
    uint32_t edge_, levels_;
};

HRESULT Reject(const std::string& why) {
    LogLine("cannot load texture %s", why.c_str());
    return E_FAIL;
}

class NullDevice final : public DeviceFront {
public:
    NullDevice(uint32_t width, uint32_t height, bool depth) : DeviceFront(width, height, depth) {}
    uint64_t draws = 0;

protected:
    HRESULT MakeVertexBuffer(uint32_t length, VertexBuffer** buffer) override {
        *buffer = new NullBuffer(*this, length);
        return S_OK;
    }
    HRESULT MakeIndexBuffer(uint32_t length, Format format, IndexBuffer** buffer) override {
        *buffer = new NullIndexBuffer(*this, length, format);
        return S_OK;
    }
    HRESULT MakeVertexDeclaration(std::vector<VertexElement> table,
                                  std::vector<rules::ElementLayout> layout,
                                  VertexDeclaration** declaration) override {
        *declaration = new NullDeclaration(*this, std::move(table), std::move(layout));
        return S_OK;
    }
    // The file is read and decoded as on the OpenGL device, so that a file
    // it refuses is refused here too; only its size is kept.
    HRESULT LoadTexture(const char* path, Texture** texture) override {
        std::vector<uint8_t> bytes;
        std::string error;
        if (!ReadFileBytes(path, file_limits::kTexture, &bytes, &error)) return Reject(error);
        if (image::LooksLikeDds(bytes.data(), bytes.size())) {
            image::DdsImage dds;
            if (!image::ParseDds(bytes.data(), bytes.size(), &dds, &error))
                return Reject(ResolvePath(path) + ": " + error);
            *texture = new NullTexture(*this, dds.width, dds.height, dds.levels);
            return S_OK;
        }
        image::RgbaImage picture;
        image::TextureLimits limits;
        limits.maxEdge = image::kMaxDdsEdge;  // a GL device's usual largest texture
        if (!image::DecodeImage(bytes.data(), bytes.size(), limits, &picture, &error))
            return Reject(ResolvePath(path) + ": " + error);
        *texture = new NullTexture(*this, picture.width, picture.height,
                                   FullChainLength(picture.width, picture.height));
        return S_OK;
    }
    HRESULT LoadCubeTexture(const char* path, CubeTexture** texture) override {
        std::vector<uint8_t> bytes;
        std::string error;
        if (!ReadFileBytes(path, file_limits::kCubeMap, &bytes, &error)) return Reject(error);
        image::DdsImage dds;
        if (!image::ParseDds(bytes.data(), bytes.size(), &dds, &error))
            return Reject(ResolvePath(path) + ": " + error);
        if (!dds.cube) return Reject(ResolvePath(path) + ": a 2D texture, not a cube map");
        *texture = new NullCubeTexture(*this, dds.width, dds.levels);
        return S_OK;
    }
    HRESULT MakeEffect(const char* path, uint32_t flags, Effect** effect, Buffer** errors) override {
        return effectFactory ? effectFactory(this, path, flags, effect, errors) : E_FAIL;
    }
    HRESULT MakeFont(int32_t height, uint32_t width, uint32_t weight, uint32_t mipLevels,
                     int32_t italic, uint32_t charSet, uint32_t outputPrecision, uint32_t quality,
                     uint32_t pitchAndFamily, const char* faceName, Font** font) override {
        if (!fontFactory) return E_FAIL;
        return fontFactory(this, height, width, weight, mipLevels, italic, charSet,
                           outputPrecision, quality, pitchAndFamily, faceName, font);
    }
    void ClearTargets(uint32_t, const Rect*, uint32_t, uint32_t, float, uint32_t) override {}
    void PresentFrame() override {}
    void DrawVertices(PrimitiveType, uint32_t, uint32_t) override { ++draws; }
    void DrawIndexed(PrimitiveType, int32_t, uint32_t, uint32_t) override { ++draws; }
};

class NullDirect3D final : public Direct3DFront {
protected:
    // No window is needed: the back buffer is the size asked for, 800 × 600 if none.
    HRESULT MakeDevice(HWND /*window*/, PresentParameters* p, Device** device) override {
        if (p->backBufferWidth == 0) p->backBufferWidth = 800;
        if (p->backBufferHeight == 0) p->backBufferHeight = 600;
        *device = new NullDevice(p->backBufferWidth, p->backBufferHeight,
                                 p->enableAutoDepthStencil != 0);
        return S_OK;
    }
};

}  // namespace

Direct3D* CreateDirect3D() { return new NullDirect3D(); }

void Install() {
    SetDirect3DFactory([](uint32_t sdkVersion) -> Direct3D* {
        return sdkVersion == D3D_SDK_VERSION ? CreateDirect3D() : nullptr;
    });
}

bool IsNullDevice(const Device* device) { return dynamic_cast<const NullDevice*>(device) != nullptr; }

void SetEffectFactory(EffectFactory factory) { effectFactory = factory; }
void SetFontFactory(FontFactory factory) { fontFactory = factory; }

uint64_t GetDrawCallCount(Device* device) {
    auto* null = dynamic_cast<NullDevice*>(device);
    return null ? null->draws : 0;
}

}  // namespace gfx::null
