// A window, an OpenGL device and the HUD's font on it, for the font's pixel
// tests: text is drawn, the back buffer read back (rows top down), and the
// picture saved as <test>.ppm when a check fails.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_services.h"
#include "platform/window/sdl/native_window.h"

namespace fonttest {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Rgb At(int x, int y) const {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return Rgb{p[0], p[1], p[2]};
    }
    // Pixels in [x0, x1) × [y0, y1) for which test holds.
    int Count(int x0, int y0, int x1, int y1, const std::function<bool(Rgb)>& test) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += test(At(x, y)) ? 1 : 0;
        return n;
    }
    // Saves the picture under the running test's name; returns the file name.
    std::string Save(const char* suffix = "") const {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix + ".ppm";
        if (FILE* file = std::fopen(name.c_str(), "wb")) {
            std::fprintf(file, "P6\n%d %d\n255\n", width, height);
            for (size_t i = 0; i + 3 < rgba.size(); i += 4) std::fwrite(&rgba[i], 1, 3, file);
            std::fclose(file);
        }
        return name;
    }
};

// A program of the test's own, bound behind the device's back as an effect
// pass binds one: positions at location 0 in clip space, colour a uniform.
inline GLuint BuildFlatProgram() {
    std::string log;
    GLuint program = gfx::gl::BuildProgram(
        "#version 450 core\nlayout(location = 0) in vec3 position;\n"
        "void main() { gl_Position = vec4(position, 1.0); }\n",
        "#version 450 core\nuniform vec4 color;\nout vec4 fragColor;\n"
        "void main() { fragColor = color; }\n",
        &log);
    EXPECT_NE(program, 0u) << log;
    return program;
}

class FontGlTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 200;

    void SetUp() override {
        setenv("RR_GL_DEBUG", "1", 1);
        if (!std::getenv("DISPLAY") ||
            (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0))
            GTEST_SKIP() << "no X display with SDL video";
        SetOpenGlWindowAttributes();
        window = SDL_CreateWindow("font test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) GTEST_SKIP() << "no OpenGL window";
        hwnd = WrapSdlWindow(window);
        gfx::gl::Install();
        gfx::font::Install();
        d3d = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        gfx::PresentParameters pp;
        pp.windowed = 1;
        pp.swapEffect = gfx::D3DSWAPEFFECT_DISCARD;
        pp.enableAutoDepthStencil = 1;
        pp.autoDepthStencilFormat = gfx::D3DFMT_D24S8;
        pp.presentationInterval = gfx::D3DPRESENT_INTERVAL_IMMEDIATE;
        if (gfx::Failed(d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, hwnd,
                                          gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device)))
            GTEST_SKIP() << "no OpenGL 4.5 core context";
        font = CreateHudFont();
        ASSERT_NE(font, nullptr);
    }

    void TearDown() override {
        gfx::SafeRelease(font);
        if (device) {
            EXPECT_EQ(gfx::gl::GetGlErrorCount(device), 0u) << "GL reported errors (see stderr)";
            EXPECT_EQ(device->GetLiveObjectCount(), 0u);
            gfx::SafeRelease(device);
        }
        gfx::SafeRelease(d3d);
        if (hwnd) FreeWrappedWindow(hwnd);
        if (window) SDL_DestroyWindow(window);
    }

    // The HUD's font, created with the renderer's arguments.
    gfx::Font* CreateHudFont() {
        gfx::Font* created = nullptr;
        EXPECT_EQ(gfx::D3DXCreateFontA(device, 20, 0, gfx::FW_BOLD, 1, 0, gfx::DEFAULT_CHARSET,
                                       gfx::OUT_DEFAULT_PRECIS, gfx::DEFAULT_QUALITY,
                                       gfx::DEFAULT_PITCH | gfx::FF_DONTCARE, "Arial", &created),
                  gfx::S_OK);
        return created;
    }
    void Clear(uint32_t argb) {
        device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, argb, 1.0f, 0);
    }
    int Draw(const char* text, gfx::Rect rect, uint32_t color, uint32_t format = 0) {
        return font->DrawTextA(nullptr, text, -1, &rect, format, color);
    }
    Picture Capture() {
        Picture picture;
        uint32_t width = 0, height = 0;
        EXPECT_TRUE(gfx::gl::ReadBackBuffer(device, &width, &height, &picture.rgba));
        picture.width = static_cast<int>(width);
        picture.height = static_cast<int>(height);
        return picture;
    }

    SDL_Window* window = nullptr;
    HWND hwnd = nullptr;
    gfx::Direct3D* d3d = nullptr;
    gfx::Device* device = nullptr;
    gfx::Font* font = nullptr;
};

}  // namespace fonttest
