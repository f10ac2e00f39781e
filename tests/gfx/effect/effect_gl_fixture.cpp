#include "effect_gl_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/gfx/effect/effect.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/sdl/native_window.h"

namespace effecttest {

using namespace gfx;

void EffectGlTest::SetUp() {
    setenv("RR_GL_DEBUG", "1", 1);
    if (!std::getenv("DISPLAY") ||
        (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)) {
        GTEST_SKIP() << "no X display with SDL video";
    }
    SetOpenGlWindowAttributes();
    window = SDL_CreateWindow("effect test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) GTEST_SKIP() << "no OpenGL window";
    hwnd = WrapSdlWindow(window);
    gl::Install();
    effect::Install();
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    PresentParameters pp;
    pp.backBufferWidth = kWidth;
    pp.backBufferHeight = kHeight;
    pp.windowed = 1;
    pp.swapEffect = D3DSWAPEFFECT_DISCARD;
    pp.enableAutoDepthStencil = 1;
    pp.autoDepthStencilFormat = D3DFMT_D24S8;
    pp.presentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (Failed(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd,
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
        GTEST_SKIP() << "no OpenGL 4.5 core context";
    }
    const VertexElement elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
        D3DDECL_END};
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), S_OK);
}

void EffectGlTest::TearDown() {
    SafeRelease(indexBuffer);
    SafeRelease(vertexBuffer);
    SafeRelease(declaration);
    if (device) {
        EXPECT_EQ(gl::GetGlErrorCount(device), 0u) << "GL reported errors (see stderr)";
        EXPECT_EQ(device->GetLiveObjectCount(), 0u) << "objects left alive";
        SafeRelease(device);
    }
    SafeRelease(d3d);
    if (hwnd) FreeWrappedWindow(hwnd);
    if (window) SDL_DestroyWindow(window);
}

std::string EffectGlTest::WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
    return name;
}

Effect* EffectGlTest::CreateEffect(const std::string& path, std::string* errors) {
    Effect* made = nullptr;
    Buffer* messages = nullptr;
    D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 1, nullptr, &made,
                              &messages);
    if (errors) errors->clear();
    if (messages) {
        if (errors) *errors = static_cast<const char*>(messages->GetBufferPointer());
        messages->Release();
    }
    return made;
}

CubeTexture* EffectGlTest::CreateColorCube() {
    // DDS: magic, 124-byte header, then the six faces of one level, each
    // 4 × 4 texels of B, G, R, A bytes.
    const uint32_t edge = 4;
    uint32_t header[32] = {};
    header[0] = 0x20534444;  // "DDS "
    header[1] = 124;
    header[2] = 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000;  // caps, height, width, pixel format, mips
    header[3] = edge;
    header[4] = edge;
    header[5] = edge * 4;
    header[7] = 1;
    header[19] = 32;          // pixel format size
    header[20] = 0x40 | 0x1;  // RGB with alpha
    header[22] = 32;
    header[23] = 0x00FF0000;
    header[24] = 0x0000FF00;
    header[25] = 0x000000FF;
    header[26] = 0xFF000000;
    header[27] = 0x1000 | 0x8;  // texture, complex
    header[28] = 0x200 | 0xFC00;  // cube map with all six faces
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    for (const Rgb& color : kFaceColors) {
        for (uint32_t i = 0; i < edge * edge; ++i) {
            bytes += static_cast<char>(color.b);
            bytes += static_cast<char>(color.g);
            bytes += static_cast<char>(color.r);
            bytes += static_cast<char>(255);
        }
    }
    std::string path = WriteFile("colors.dds", bytes);
    CubeTexture* cube = nullptr;
    EXPECT_EQ(D3DXCreateCubeTextureFromFileA(device, path.c_str(), &cube), S_OK);
    return cube;
}

void EffectGlTest::SetVertices(const std::vector<Vertex>& vertices) {
    SafeRelease(vertexBuffer);
    uint32_t length = static_cast<uint32_t>(vertices.size() * sizeof(Vertex));
    ASSERT_EQ(device->CreateVertexBuffer(length, 0, 0, D3DPOOL_DEFAULT, &vertexBuffer, nullptr),
              S_OK);
    void* data = nullptr;
    ASSERT_EQ(vertexBuffer->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, vertices.data(), length);
    vertexBuffer->Unlock();
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(Vertex));
}

void EffectGlTest::SetIndices(const std::vector<uint16_t>& indices) {
    SafeRelease(indexBuffer);
    uint32_t length = static_cast<uint32_t>(indices.size() * sizeof(uint16_t));
    ASSERT_EQ(device->CreateIndexBuffer(length, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &indexBuffer,
                                        nullptr),
              S_OK);
    void* data = nullptr;
    ASSERT_EQ(indexBuffer->Lock(0, 0, &data, 0), S_OK);
    std::memcpy(data, indices.data(), length);
    indexBuffer->Unlock();
    device->SetIndices(indexBuffer);
}

void EffectGlTest::Clear(uint32_t argb) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb, 1.0f, 0);
}

void EffectGlTest::Capture() {
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(gl::ReadBackBuffer(device, &width, &height, &pixels));
    ASSERT_EQ(width, static_cast<uint32_t>(kWidth));
    ASSERT_EQ(height, static_cast<uint32_t>(kHeight));
}

Rgb EffectGlTest::PixelAt(int x, int y) const {
    size_t at = (static_cast<size_t>(y) * kWidth + x) * 4;
    if (at + 3 >= pixels.size()) return {-1, -1, -1};
    return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

int EffectGlTest::FaceAt(int x, int y) const {
    Rgb pixel = PixelAt(x, y);
    int best = -1;
    int bestDistance = 1 << 30;
    for (int face = 0; face < 6; ++face) {
        int dr = pixel.r - kFaceColors[face].r;
        int dg = pixel.g - kFaceColors[face].g;
        int db = pixel.b - kFaceColors[face].b;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = face;
        }
    }
    // Farther than a tint allows: no face at all.
    return bestDistance < 90 * 90 ? best : -1;
}

std::string EffectGlTest::SavePicture(const char* suffix) const {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix + ".ppm";
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return name;
    std::fprintf(file, "P6\n%d %d\n255\n", kWidth, kHeight);
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::fwrite(&pixels[i], 1, 3, file);
    std::fclose(file);
    return name;
}

std::vector<Vertex> BoxVertices(float normalFill) {
    // Faces z = −100, x = +100, z = +100, x = −100, y = +100, y = −100; corners
    // top-left, top-right, bottom-left, bottom-right as seen from outside.
    const float p[24][3] = {
        {-100, 100, -100}, {100, 100, -100},  {-100, -100, -100}, {100, -100, -100},
        {100, 100, -100},  {100, 100, 100},   {100, -100, -100},  {100, -100, 100},
        {100, 100, 100},   {-100, 100, 100},  {100, -100, 100},   {-100, -100, 100},
        {-100, 100, 100},  {-100, 100, -100}, {-100, -100, 100},  {-100, -100, -100},
        {-100, 100, 100},  {100, 100, 100},   {-100, 100, -100},  {100, 100, -100},
        {-100, -100, -100}, {100, -100, -100}, {-100, -100, 100}, {100, -100, 100}};
    std::vector<Vertex> vertices;
    for (const auto& corner : p) {
        vertices.push_back({corner[0], corner[1], corner[2], normalFill, normalFill, normalFill});
    }
    return vertices;
}

std::vector<uint16_t> BoxIndices() {
    std::vector<uint16_t> indices;
    for (uint16_t face = 0; face < 6; ++face) {
        uint16_t b = static_cast<uint16_t>(face * 4);
        for (int i : {0, 1, 2, 1, 3, 2}) indices.push_back(static_cast<uint16_t>(b + i));
    }
    return indices;
}

void Sphere(const Vector3& centre, std::vector<Vertex>* vertices, std::vector<uint16_t>* indices) {
    const int rings = 24, segments = 32;
    const float pi = 3.14159265f;
    for (int ring = 0; ring <= rings; ++ring) {
        float theta = pi * ring / rings;
        for (int segment = 0; segment <= segments; ++segment) {
            float phi = 2 * pi * segment / segments;
            float nx = std::sin(theta) * std::cos(phi);
            float ny = std::cos(theta);
            float nz = std::sin(theta) * std::sin(phi);
            vertices->push_back({centre.x + nx, centre.y + ny, centre.z + nz, nx, ny, nz});
        }
    }
    for (int ring = 0; ring < rings; ++ring) {
        for (int segment = 0; segment < segments; ++segment) {
            auto at = [&](int r, int s) { return static_cast<uint16_t>(r * (segments + 1) + s); };
            for (uint16_t index : {at(ring, segment), at(ring + 1, segment), at(ring, segment + 1),
                                   at(ring, segment + 1), at(ring + 1, segment),
                                   at(ring + 1, segment + 1)}) {
                indices->push_back(index);
            }
        }
    }
}

}  // namespace effecttest
