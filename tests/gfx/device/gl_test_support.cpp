#include "gl_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gfx/gl/gl_services.h"
#include "platform/window/sdl/native_window.h"

namespace gltest {

const gfx::VertexElement kSkinVertexElements[3] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 12, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_NORMAL, 0},
    gfx::D3DDECL_END,
};

const char* const kFlatVertexShader = R"(#version 450 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
void main() { gl_Position = vec4(position, 1.0); }
)";

const char* const kFlatFragmentShader = R"(#version 450 core
uniform vec4 color;
out vec4 fragColor;
void main() { fragColor = color; }
)";

SDL_Window* MakeGlWindow(int width, int height, bool opengl) {
    if (!std::getenv("DISPLAY")) return nullptr;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    SetOpenGlWindowAttributes();
    return SDL_CreateWindow("device test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                            height, (opengl ? SDL_WINDOW_OPENGL : 0) | SDL_WINDOW_HIDDEN);
}

GLuint BuildProgram(const char* vertexSource, const char* fragmentSource) {
    std::string log;
    GLuint program = gfx::gl::BuildProgram(vertexSource, fragmentSource, &log);
    if (!program) ADD_FAILURE() << log;
    return program;
}

void DeviceTest::SetUp() {
    setenv("RR_GL_DEBUG", "1", 1);
    window = MakeGlWindow(kWidth, kHeight);
    if (!window) GTEST_SKIP() << "no X display with SDL video";
    hwnd = WrapSdlWindow(window);
    d3d = gfx::gl::CreateDirect3D();
    gfx::PresentParameters pp;
    pp.windowed = 1;
    pp.swapEffect = gfx::D3DSWAPEFFECT_DISCARD;
    pp.enableAutoDepthStencil = 1;
    pp.autoDepthStencilFormat = gfx::D3DFMT_D24S8;
    pp.presentationInterval = gfx::D3DPRESENT_INTERVAL_IMMEDIATE;
    if (gfx::Failed(d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, hwnd,
                                      gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
        GTEST_SKIP() << "no OpenGL 4.5 core context";
    }
    ASSERT_TRUE(gfx::Succeeded(device->CreateVertexDeclaration(kSkinVertexElements, &declaration)));
    device->SetVertexDeclaration(declaration);
    gfx::gl::MakeCurrent(device);
    flatProgram = BuildProgram(kFlatVertexShader, kFlatFragmentShader);
}

void DeviceTest::TearDown() {
    if (device) {
        EXPECT_EQ(gfx::gl::GetGlErrorCount(device), 0u) << "GL reported errors (see stderr)";
        gfx::gl::MakeCurrent(device);
        glUseProgram(0);
        glDeleteProgram(flatProgram);
        for (auto it = owned.rbegin(); it != owned.rend(); ++it) (*it)->Release();
        gfx::SafeRelease(declaration);
        EXPECT_EQ(device->GetLiveObjectCount(), 0u);
        gfx::SafeRelease(device);
    }
    gfx::SafeRelease(d3d);
    if (hwnd) FreeWrappedWindow(hwnd);
    if (window) SDL_DestroyWindow(window);
}

void DeviceTest::UseFlat(Color color) {
    gfx::gl::FlushPendingDraws(device);
    gfx::gl::MakeCurrent(device);
    glUseProgram(flatProgram);
    glUniform4f(glGetUniformLocation(flatProgram, "color"), color.r / 255.0f, color.g / 255.0f,
                color.b / 255.0f, 1.0f);
}

gfx::VertexBuffer* DeviceTest::MakeBuffer(const std::vector<Vertex>& vertices) {
    gfx::VertexBuffer* buffer = nullptr;
    uint32_t length = uint32_t(vertices.size() * sizeof(Vertex));
    EXPECT_TRUE(gfx::Succeeded(device->CreateVertexBuffer(length, 0, 0, gfx::D3DPOOL_DEFAULT, &buffer, nullptr)));
    if (!buffer) return nullptr;
    owned.push_back(buffer);
    void* data = nullptr;
    EXPECT_TRUE(gfx::Succeeded(buffer->Lock(0, 0, &data, 0)));
    if (data) std::memcpy(data, vertices.data(), length);
    buffer->Unlock();
    BindBuffer(buffer);
    return buffer;
}

void DeviceTest::BindBuffer(gfx::VertexBuffer* buffer) {
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
}

void DeviceTest::ClearTo(uint32_t argb) {
    device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, argb, 1.0f, 0);
}

void DeviceTest::Capture() {
    ASSERT_TRUE(gfx::gl::ReadBackBuffer(device, &capturedWidth, &capturedHeight, &pixels));
}

Color DeviceTest::PixelAt(int x, int y) const {
    const uint8_t* p = pixels.data() + (size_t(y) * capturedWidth + size_t(x)) * 4;
    return Color{p[0], p[1], p[2]};
}

::testing::AssertionResult DeviceTest::PixelIs(int x, int y, Color expected, int tolerance) {
    if (pixels.empty()) Capture();
    Color got = PixelAt(x, y);
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + ".ppm";
    SavePpm(name, capturedWidth, capturedHeight, pixels);
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g << ", " << got.b
           << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b
           << ") ± " << tolerance << "; picture saved as " << name;
}

::testing::AssertionResult PixelIsColour(Color got, Color expected, int tolerance) {
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << got.r << ", " << got.g << ", " << got.b
                                         << "), expected (" << expected.r << ", " << expected.g
                                         << ", " << expected.b << ") ± " << tolerance;
}

std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z) {
    // Both triangles counter-clockwise as seen on screen (+y up).
    return {{x0, y0, z, 0, 0, 1}, {x1, y0, z, 0, 0, 1}, {x1, y1, z, 0, 0, 1},
            {x0, y0, z, 0, 0, 1}, {x1, y1, z, 0, 0, 1}, {x0, y1, z, 0, 0, 1}};
}

void SavePpm(const std::string& name, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba) {
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return;
    std::fprintf(file, "P6\n%u %u\n255\n", width, height);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) std::fwrite(&rgba[i], 1, 3, file);
    std::fclose(file);
}

}  // namespace gltest
