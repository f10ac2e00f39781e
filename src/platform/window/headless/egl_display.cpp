#include "platform/window/headless/egl_display.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

namespace {

bool HasExtension(const char* extensions, const char* name) {
    if (!extensions) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        bool starts = at == extensions || at[-1] == ' ';
        bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

// The first EGL device's display, for drivers without the surfaceless platform.
EGLDisplay FirstDeviceDisplay() {
    auto queryDevices =
        reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (!queryDevices) return EGL_NO_DISPLAY;
    EGLDeviceEXT device = nullptr;
    EGLint count = 0;
    if (!queryDevices(1, &device, &count) || count < 1) return EGL_NO_DISPLAY;
    return eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
}

// Initialises display and checks what the contexts need; false (display
// terminated) when it lacks any of it.
bool Usable(EGLDisplay display, std::string* problem) {
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor)) return false;
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    const char* apis = eglQueryString(display, EGL_CLIENT_APIS);
    std::string lacks;
    if (major * 10 + minor < 15) {
        lacks = "EGL 1.5";
    } else if (!apis || !std::strstr(apis, "OpenGL")) {
        lacks = "desktop OpenGL";
    } else {
        for (const char* needed : {"EGL_KHR_surfaceless_context", "EGL_KHR_no_config_context"})
            if (lacks.empty() && !HasExtension(extensions, needed)) lacks = needed;
    }
    if (lacks.empty()) return true;
    *problem = "the EGL display offers no " + lacks;
    eglTerminate(display);
    return false;
}

}  // namespace

bool EglDisplay::Open(std::string* problem) {
    if (display) return true;
    std::string why = "EGL found neither Mesa's surfaceless platform nor a device";
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EGLDisplay made = EGL_NO_DISPLAY;
    if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        made = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        platform = "surfaceless";
        if (!Usable(made, &why)) made = EGL_NO_DISPLAY;
    }
    if (made == EGL_NO_DISPLAY && HasExtension(clientExtensions, "EGL_EXT_platform_device")) {
        made = FirstDeviceDisplay();
        platform = "device";
        if (!Usable(made, &why)) made = EGL_NO_DISPLAY;
    }
    if (made == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) {
        *problem = "no display and no offscreen OpenGL: " + why;
        return false;
    }
    display = made;
    return true;
}

void* EglDisplay::CreateContext(int major, int minor, bool core, bool debug) const {
    if (!display) return nullptr;
    const EGLint attributes[] = {
        EGL_CONTEXT_MAJOR_VERSION,
        major,
        EGL_CONTEXT_MINOR_VERSION,
        minor,
        EGL_CONTEXT_OPENGL_PROFILE_MASK,
        core ? EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT : EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
        EGL_CONTEXT_OPENGL_DEBUG,
        debug ? EGL_TRUE : EGL_FALSE,
        EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    return context == EGL_NO_CONTEXT ? nullptr : context;
}

void EglDisplay::DeleteContext(void* context) const {
    if (!display || !context) return;
    if (eglGetCurrentContext() == context)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
}

void EglDisplay::MakeCurrent(void* context) const {
    if (!display || eglGetCurrentContext() == context) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context ? context : EGL_NO_CONTEXT);
}
