// The native window behind a handle, made and kept by the window backend:
// what an OpenGL device needs of it. The graphics layer reaches windows
// only through this interface.
#pragma once

#include "platform/window/core/win_types.h"

class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual bool HasOpenGl() const = 0;
    // A new OpenGL 4.5 core context (with debug output when asked); null
    // when none can be made.
    virtual void* CreateGlContext(bool debug) = 0;
    // A context of at least major.minor, core or compatibility, to find out
    // what the display offers when CreateGlContext fails; null if none.
    virtual void* CreateProbeGlContext(int major, int minor, bool core) = 0;
    virtual void DeleteGlContext(void* context) = 0;
    // Makes context (null: none) current on the calling thread, unless it is.
    virtual void MakeGlContextCurrent(void* context) = 0;
    // 0: presentation does not wait for the vertical retrace.
    virtual void SetGlSwapInterval(int interval) = 0;
    virtual void SwapGlBuffers() = 0;
    // False for a window with no display: the device's back buffer is all.
    virtual bool HasDefaultFramebuffer() const = 0;
    // The size of the area GL draws into, in pixels.
    virtual void GetGlDrawableSize(int* width, int* height) const = 0;
};

// The native window of a handle; null for a null handle or a window without one.
NativeWindow* GetNativeWindow(HWND window);
