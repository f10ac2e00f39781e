// reflect-refract: a skinned character that reflects or refracts a snowy
// cube map, flown around with the keyboard and the right mouse button.
#include "app/application.h"
#include "platform/gfx/opengl/opengl.h"
#include "platform/window/sdl/sdl_window_backend.h"

int main() {
    // Without a display there is no window to start in; SDL's reason is on
    // stderr already, and the program ends with 0 as on every start-up failure.
    if (!UseSdlWindowBackend()) return 0;
    gfx::UseOpenGL();
    return GetApplication().Run(nullptr, SW_SHOWDEFAULT);
}
