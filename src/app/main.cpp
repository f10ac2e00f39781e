// reflect-refract: a skinned character that reflects or refracts a snowy
// cube map, flown around with the keyboard and the right mouse button; with
// options, anyone's SMD character, cube map and effect (command_line.h).
//
// The composition: every part the program is made of is chosen here and
// handed on as an argument. Start-up in the order that matters for what a
// person sees: the command line (help, version and bad usage need no
// display), the stop signals (a signal during start-up is honoured), the
// display (none: one line, at once), the data folder (so the program starts
// from any folder), then the Application. Every exit code comes from
// exit_codes.h.
#include <cstdio>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/exit_codes.h"
#include "app/report_routes.h"
#include "app/startup_failure.h"
#include "platform/files.h"
#include "platform/gfx/devices/devices.h"
#include "platform/window/sdl/program_folder.h"
#include "platform/window/sdl/sdl_window_backend.h"
#include "platform/window/sdl/stop_signals.h"

namespace {

int BadUsage(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n%s\n", kProgramName, problem.c_str(), UsageLine().c_str());
    return kExitBadUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string working = WorkingFolder();
    CommandLine line = ParseCommandLine(argc, argv, working);
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
        ReportStartupFailure(StderrReport(BoxRoute::Dropped), problem);  // no display: stderr only
        return kExitStartFailed;
    }

    AppServices services;
    // Nobody is there to close a box in a screenshot run: its text goes to
    // stderr, and the start-up failure, already a stderr line, shows none.
    const bool unattended = !line.options.screenshot.empty();
    services.report = StderrReport(unattended ? BoxRoute::AsStderrLines : BoxRoute::Shown);
    services.failureReport = StderrReport(unattended ? BoxRoute::Dropped : BoxRoute::ShownAsErrors);
    services.dataFolder = FindDataFolder(working, ProgramFolder());
    services.baseFolder = DataBaseFolder(services.dataFolder, working);
    if (!services.baseFolder.empty()) {
        const DataFolderChoice& data = services.dataFolder;
        std::fprintf(stderr,
                     "%s: reading the program's files from %s (none in the working folder %s)\n",
                     kProgramName, data.searched[size_t(data.chosen)].c_str(), working.c_str());
    }
    services.stopRequested = StopRequested;
    services.createDirect3D = gfx::devices::CreateOpenGl;
    return GetApplication().Run(nullptr, SW_SHOWDEFAULT, line.options, services);
}
