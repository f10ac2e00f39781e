// The EGL display of a process without a window system: Mesa's surfaceless
// platform, else the first device EGL lists (EGL_EXT_platform_device), and
// OpenGL contexts on it that are made current without a surface.
#pragma once

#include <string>

struct EglDisplay {
    void* display = nullptr;    // EGLDisplay; null until Open succeeds
    const char* platform = "";  // "surfaceless" or "device"

    // Opens and initialises the display (once). False with the reason in
    // *problem when neither platform gives one with EGL 1.5, desktop OpenGL
    // and contexts without a surface.
    bool Open(std::string* problem);
    // A context of major.minor, core profile or compatibility, made with no
    // config; null when the driver refuses it.
    void* CreateContext(int major, int minor, bool core, bool debug) const;
    void DeleteContext(void* context) const;
    // Makes context (null: none) current with no surface, unless it is.
    void MakeCurrent(void* context) const;
};
