// reflect-refract: a skinned character that reflects or refracts a snowy
// cube map, flown around with the keyboard and the right mouse button.
//
// Start-up in the order that matters for what a person sees: the stop
// signals first (a signal during start-up is honoured), the display (none:
// one line, at once), the data folder (so the program starts from any
// folder), then the Application. Every exit code comes from exit_codes.h.
#include <string>

#include "app/application.h"
#include "app/data_folder.h"
#include "app/exit_codes.h"
#include "app/startup_failure.h"
#include "app/stop_request.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/opengl/opengl.h"
#include "platform/window/sdl/sdl_window_backend.h"
#include "platform/window/sdl/stop_signals.h"

int main() {
    InstallStopSignals();
    std::string problem;
    if (!UseSdlWindowBackend(&problem)) {
        ReportStartupFailure(problem);  // no display: stderr only
        return kExitStartFailed;
    }
    EnterDataFolder(ProgramFolder());
    gfx::UseOpenGL();
    SetDeviceFailureDetail([] { return gfx::gl::LastDeviceFailure(); });
    SetStopQuery(StopRequested);
    return GetApplication().Run(nullptr, SW_SHOWDEFAULT);
}
