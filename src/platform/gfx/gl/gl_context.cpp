// The Direct3D object of the OpenGL backend: makes a device's GL context on
// the window's native surface.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gfx/core/log.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_device.h"
#include "platform/window/core/native_window.h"

namespace gfx::gl {

namespace {

bool EnvironmentFlag(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] && std::strcmp(value, "0") != 0;
}

// What a person needs to hear when no 4.5 core context can be had: what is
// needed and what the display offers, from a context of whatever version
// the driver gives (core first, then compatibility).
std::string DescribeOfferedGl(NativeWindow* window) {
    std::string offered = "no OpenGL context at all";
    for (bool core : {true, false}) {
        void* probe = window->CreateProbeGlContext(core ? 3 : 1, core ? 2 : 0, core);
        if (!probe) continue;
        window->MakeGlContextCurrent(probe);
        int version = epoxy_gl_version();
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        std::string name = renderer ? renderer : "unknown renderer";
        name = name.substr(0, name.find(" ("));  // "llvmpipe (LLVM 15.0.6, 256 bits)"
        offered = std::to_string(version / 10) + "." + std::to_string(version % 10) +
                  (core ? "" : " compatibility") + " (" + name + ")";
        window->DeleteGlContext(probe);
        break;
    }
    return "OpenGL 4.5 core profile needed; this display offers " + offered;
}

class GlDirect3D final : public Direct3DFront {
public:
    using Direct3DFront::Direct3DFront;

protected:
    HRESULT MakeDevice(HWND windowHandle, PresentParameters* parameters, Device** device) override;
};

HRESULT GlDirect3D::MakeDevice(HWND windowHandle, PresentParameters* parameters, Device** device) {
    NativeWindow* window = GetNativeWindow(windowHandle);
    if (!window) return Refuse("CreateDevice", "no window to draw into");
    if (!window->HasOpenGl()) return NotAvailable("the window was not made for OpenGL");
    GlContext context;
    context.window = window;
    context.debug = EnvironmentFlag("RR_GL_DEBUG");
    context.context = window->CreateGlContext(context.debug);
    if (!context.context) return NotAvailable(DescribeOfferedGl(window));
    window->MakeGlContextCurrent(context.context);
    if (epoxy_gl_version() < 45 || epoxy_is_desktop_gl() == 0) {
        window->DeleteGlContext(context.context);
        return NotAvailable(DescribeOfferedGl(window));
    }
    int drawableWidth = 0, drawableHeight = 0;
    window->GetGlDrawableSize(&drawableWidth, &drawableHeight);
    if (parameters->backBufferWidth == 0) parameters->backBufferWidth = uint32_t(drawableWidth);
    if (parameters->backBufferHeight == 0) parameters->backBufferHeight = uint32_t(drawableHeight);
    // Presentation does not wait for the vertical retrace.
    window->SetGlSwapInterval(0);
    context.hasS3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &context.maxTextureSize);
    // The math library's projections put depth 0 at the near plane and 1 at
    // the far plane (Direct3D's clip space), with +y up on screen.
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    *device = new GlDevice(context, parameters->backBufferWidth, parameters->backBufferHeight,
                           parameters->enableAutoDepthStencil != 0,
                           parameters->backBufferFormat == D3DFMT_A8R8G8B8,
                           !EnvironmentFlag("RR_GL_NO_MERGE"), Makers());
    return S_OK;
}

}  // namespace

Direct3D* CreateDirect3D(const EffectAndFontMakers& makers) { return new GlDirect3D(makers); }

}  // namespace gfx::gl
