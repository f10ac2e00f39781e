#include "font_gl_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "platform/gfx/font/font.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/sdl/native_window.h"

namespace fonttest {

void Picture::Save(const std::string& name) const {
    FILE* file = std::fopen((name + ".ppm").c_str(), "wb");
    if (!file) {
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        std::fwrite(&rgba[i], 1, 3, file);
    }
    std::fclose(file);
}

void FontGlTest::SetUp() {
    setenv("RR_GL_DEBUG", "1", 1);
    if (!std::getenv("DISPLAY") ||
        (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)) {
        GTEST_SKIP() << "no X display with SDL video";
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window = SDL_CreateWindow("font test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        GTEST_SKIP() << "no OpenGL window";
    }
    hwnd = WrapSdlWindow(window);
    gfx::gl::Install();
    gfx::font::Install();
    d3d = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    gfx::PresentParameters pp;
    pp.backBufferWidth = kWidth;
    pp.backBufferHeight = kHeight;
    pp.windowed = 1;
    pp.swapEffect = gfx::D3DSWAPEFFECT_DISCARD;
    pp.enableAutoDepthStencil = 1;
    pp.autoDepthStencilFormat = gfx::D3DFMT_D24S8;
    pp.presentationInterval = gfx::D3DPRESENT_INTERVAL_IMMEDIATE;
    if (gfx::Failed(d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, hwnd,
                                      gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
        GTEST_SKIP() << "no OpenGL 4.5 core context";
    }
    font = CreateHudFont();
    ASSERT_NE(font, nullptr);
}

void FontGlTest::TearDown() {
    gfx::SafeRelease(font);
    if (device) {
        EXPECT_EQ(gfx::gl::GetGlErrorCount(device), 0u) << "GL reported errors (see stderr)";
        EXPECT_EQ(device->GetLiveObjectCount(), 0u);
        gfx::SafeRelease(device);
    }
    gfx::SafeRelease(d3d);
    if (hwnd) {
        FreeWrappedWindow(hwnd);
    }
    if (window) {
        SDL_DestroyWindow(window);
    }
}

gfx::Font* FontGlTest::CreateHudFont() {
    gfx::Font* created = nullptr;
    EXPECT_EQ(gfx::D3DXCreateFontA(device, 20, 0, gfx::FW_BOLD, 1, 0, gfx::DEFAULT_CHARSET,
                                   gfx::OUT_DEFAULT_PRECIS, gfx::DEFAULT_QUALITY,
                                   gfx::DEFAULT_PITCH | gfx::FF_DONTCARE, "Arial", &created),
              gfx::S_OK);
    return created;
}

void FontGlTest::Clear(uint32_t argb) {
    device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, argb, 1.0f, 0);
}

Picture FontGlTest::Capture() {
    Picture picture;
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_TRUE(gfx::gl::ReadBackBuffer(device, &width, &height, &picture.rgba));
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    return picture;
}

std::string FontGlTest::SaveForFailure(const Picture& picture, const char* suffix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
    picture.Save(name);
    return name + ".ppm";
}

std::vector<uint8_t> InkMask(const Picture& picture, int channel, int background) {
    std::vector<uint8_t> mask(static_cast<size_t>(picture.width) * picture.height, 0);
    for (size_t i = 0; i < mask.size(); ++i) {
        mask[i] = std::abs(picture.rgba[i * 4 + channel] - background) > 128 ? 1 : 0;
    }
    return mask;
}

}  // namespace fonttest
