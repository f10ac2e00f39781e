#include "support/gl_harness.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/sdl/sdl_native_window.h"

namespace rrtest {

gfx::PresentParameters TestPresentParameters(uint32_t width, uint32_t height) {
    gfx::PresentParameters parameters;
    parameters.backBufferWidth = width;
    parameters.backBufferHeight = height;
    parameters.windowed = 1;
    parameters.swapEffect = gfx::D3DSWAPEFFECT_DISCARD;
    parameters.enableAutoDepthStencil = 1;
    parameters.autoDepthStencilFormat = gfx::D3DFMT_D24S8;
    parameters.presentationInterval = gfx::D3DPRESENT_INTERVAL_IMMEDIATE;
    return parameters;
}

std::string GlWindow::Open(int width, int height, bool opengl) {
    Close();
    if (!std::getenv("DISPLAY")) return "no X display (DISPLAY is not set)";
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return std::string("no SDL video: ") + SDL_GetError();
    SetOpenGlWindowAttributes();
    sdl = SDL_CreateWindow("test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                           (opengl ? SDL_WINDOW_OPENGL : 0) | SDL_WINDOW_HIDDEN);
    if (!sdl) return std::string("no SDL window: ") + SDL_GetError();
    handle = WrapSdlWindow(sdl);
    return {};
}

void GlWindow::Close() {
    if (handle) FreeWrappedWindow(handle);
    if (sdl) SDL_DestroyWindow(sdl);
    handle = nullptr;
    sdl = nullptr;
}

std::string GlHarness::Open(int width, int height, bool debug,
                            const gfx::EffectAndFontMakers& makers) {
    Close();
    if (std::string why = window.Open(width, height); !why.empty()) return why;
    setenv("RR_GL_DEBUG", debug ? "1" : "0", 1);
    d3d = gfx::Ref<gfx::Direct3D>::Adopt(gfx::gl::CreateDirect3D(makers));
    gfx::PresentParameters parameters = TestPresentParameters(uint32_t(width), uint32_t(height));
    if (gfx::Failed(d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, window.handle,
                                      gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                      device.Receive())))
        return "no OpenGL 4.5 core context";
    return {};
}

void GlHarness::Close() {
    device = nullptr;
    d3d = nullptr;
    window.Close();
}

bool GlRequired() {
    const char* required = std::getenv("RR_REQUIRE_GL");
    if (required && required[0] && std::strcmp(required, "0") != 0) return true;
    const char* ci = std::getenv("CI");
    return ci && ci[0] && std::strcmp(ci, "0") != 0 && std::strcmp(ci, "false") != 0;
}

}  // namespace rrtest
