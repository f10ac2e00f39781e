// reflect-refract: a skinned character that reflects or refracts a snowy
// cube map, flown around with the keyboard and the right mouse button; with
// options, anyone's SMD character, cube map and effect (command_line.h).
//
// Start-up in the order that matters for what a person sees: the command
// line (help, version and bad usage need no display; its paths are made
// absolute before the working folder changes), the stop signals (a signal
// during start-up is honoured), the display (none: one line, at once), the
// data folder (so the program starts from any folder), then the
// Application. Every exit code comes from exit_codes.h.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/exit_codes.h"
#include "app/stderr_boxes.h"
#include "app/startup_failure.h"
#include "app/stop_request.h"
#include "platform/files.h"
#include "platform/gfx/devices/devices.h"
#include "platform/window/sdl/sdl_window_backend.h"
#include "platform/window/sdl/stop_signals.h"

namespace {

int BadUsage(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n%s\n", kProgramName, problem.c_str(), UsageLine().c_str());
    return kExitBadUsage;
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line = ParseCommandLine(argc, argv, WorkingFolder());
    switch (line.action) {
        case CommandLineAction::Help:
            std::fputs(HelpText().c_str(), stdout);
            return kExitQuit;
        case CommandLineAction::Version:
            std::printf("%s\n", VersionText().c_str());
            return kExitQuit;
        case CommandLineAction::BadUsage:
            return BadUsage(line.problem);
        case CommandLineAction::Run:
            break;
    }
    std::string problem = CheckOptionFiles(line.options);
    if (!problem.empty()) return BadUsage(problem);

    InstallStopSignals();
    if (!UseSdlWindowBackend(&problem)) {
        ReportStartupFailure(problem);  // no display: stderr only
        return kExitStartFailed;
    }
    // Nobody is there to close a box in a screenshot run.
    if (!line.options.screenshot.empty()) SendMessageBoxesToStderr();
    EnterDataFolder(ProgramFolder());
    SetStopQuery(StopRequested);
    Application& application = GetApplication();
    application.options = line.options;
    application.createDirect3D = gfx::devices::CreateOpenGl;
    return application.Run(nullptr, SW_SHOWDEFAULT);
}
