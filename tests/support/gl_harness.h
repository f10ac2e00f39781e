// One OpenGL window and device for every GL test and benchmark: an SDL
// window made as the window layer makes its windows, wrapped in a handle,
// and a device of the OpenGL backend on it with the present parameters the
// program uses. No test framework here: benchmarks use it too.
#pragma once

#include <string>

#include "platform/gfx/core/device_services.h"

struct SDL_Window;

namespace rrtest {

// Windowed, discard swap, D24S8 depth and stencil, immediate presentation,
// the back buffer width × height (the renderer's parameters).
gfx::PresentParameters TestPresentParameters(uint32_t width, uint32_t height);

// A hidden SDL window with the window layer's GL attributes (or none, when
// opengl is false), and its handle.
class GlWindow {
public:
    GlWindow() = default;
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;
    ~GlWindow() { Close(); }
    // Empty on success, else why there is no window (no display, SDL's reason).
    std::string Open(int width, int height, bool opengl = true);
    void Close();

    SDL_Window* sdl = nullptr;
    HWND handle = nullptr;
};

// A window, the OpenGL backend's Direct3D object and a device on the window,
// whose effects and fonts are made by the makers given (none by default).
class GlHarness {
public:
    GlHarness() = default;
    GlHarness(const GlHarness&) = delete;
    GlHarness& operator=(const GlHarness&) = delete;
    ~GlHarness() { Close(); }
    // Empty on success, else why there is no device. With debug the device
    // has a debug context that counts GL errors (RR_GL_DEBUG=1).
    std::string Open(int width, int height, bool debug = true,
                     const gfx::EffectAndFontMakers& makers = {});
    // Releases the device and the Direct3D object, then closes the window.
    void Close();

    GlWindow window;
    gfx::Ref<gfx::Direct3D> d3d;
    gfx::Ref<gfx::Device> device;
};

// Whether a missing GL 4.5 context fails a test instead of skipping it:
// RR_REQUIRE_GL=1 (set by ./test.sh) or CI set.
bool GlRequired();

}  // namespace rrtest
