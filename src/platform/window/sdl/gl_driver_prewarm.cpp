#include "platform/window/sdl/gl_driver_prewarm.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace {

// The library SDL's x11 driver loads GL from.
constexpr const char* kGlLibrary = "libGL.so.1";

using ChooseFbConfig = GLXFBConfig* (*)(Display*, int, const int*, int*);

// RR_GL_PREWARM=0 or =1 decides; otherwise the thread pays only while the
// main thread parses the Compose table.
bool Wanted(bool composeTableCached) {
    const char* value = std::getenv("RR_GL_PREWARM");
    if (value && std::strcmp(value, "0") == 0) return false;
    if (value && std::strcmp(value, "1") == 0) return true;
    return !composeTableCached;
}

}  // namespace

GlDriverPrewarm::~GlDriverPrewarm() { Finish(); }

void GlDriverPrewarm::Start(bool composeTableCached) {
    if (started_) return;
    started_ = true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !display[0] || !Wanted(composeTableCached)) return;
    if (!XInitThreads()) return;  // two threads on Xlib need its locks
    thread_ = std::thread([this] { Run(); });
}

void GlDriverPrewarm::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    release_ = true;
    released_.notify_all();
}

void GlDriverPrewarm::Finish() {
    Release();
    if (thread_.joinable()) thread_.join();
}

void GlDriverPrewarm::Run() {
    Display* display = XOpenDisplay(nullptr);
    void* library = nullptr;
    int opcode = 0, event = 0, error = 0;
    // Without the GLX extension there is no driver to load (and the query
    // below would fail in the X server).
    if (display && XQueryExtension(display, "GLX", &opcode, &event, &error)) {
        library = dlopen(kGlLibrary, RTLD_NOW | RTLD_LOCAL);
        auto choose = library
                          ? reinterpret_cast<ChooseFbConfig>(dlsym(library, "glXChooseFBConfig"))
                          : nullptr;
        if (choose) {
            const int attributes[] = {GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
            int count = 0;
            GLXFBConfig* configs = choose(display, DefaultScreen(display), attributes, &count);
            if (configs) XFree(configs);
        }
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        released_.wait(lock, [this] { return release_; });
    }
    if (display) XCloseDisplay(display);
    if (library) dlclose(library);
}
