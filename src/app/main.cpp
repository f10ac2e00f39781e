// reflect-refract: a skinned character that reflects or refracts a snowy
// cube map, flown around with the keyboard and the right mouse button; with
// options, anyone's SMD character, cube map and effect (command_line.h).
//
// The composition: every part the program is made of is chosen here and
// handed on as an argument. Start-up in the order that matters for what a
// person sees: the command line (help, version and bad usage need no
// display), the stop signals (a signal during start-up is honoured), the
// display (none: one line, at once, unless the run only saves a picture: it
// then draws offscreen through EGL), the data folder (so the program starts
// from any folder), then the Application. Every exit code comes from
// exit_codes.h.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/exit_codes.h"
#include "app/report_routes.h"
#include "app/startup_failure.h"
#include "app/thumbnail.h"
#include "platform/files.h"
#include "platform/gfx/devices/devices.h"
#include "platform/gfx/font/font_configuration.h"
#include "platform/window/headless/headless_window_backend.h"
#include "platform/window/sdl/compose_cache.h"
#include "platform/window/sdl/program_folder.h"
#include "platform/window/sdl/session_bus.h"
#include "platform/window/sdl/sdl_window_backend.h"
#include "platform/window/sdl/stop_signals.h"

namespace {

int BadUsage(const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n%s\n", kProgramName, problem.c_str(), UsageLine().c_str());
    return kExitBadUsage;
}

bool Unset(const char* name) {
    const char* value = std::getenv(name);
    return !value || !value[0];
}

// The window system: SDL's on a display; for a run that only saves a
// picture, the headless backend when no display is named or SDL cannot open
// the one that is. False, with the reason in *problem, when there is none.
// A thumbnail is always drawn offscreen: no window flashes up on a desktop,
// no display connection is made, and a file manager's thumbnailer gets the
// same picture whichever session it runs in.
bool StartWindowSystem(bool picturesOnly, bool thumbnail, std::string* problem) {
    bool headless = thumbnail || (picturesOnly && Unset("DISPLAY") && Unset("WAYLAND_DISPLAY"));
    if (!headless) {
        if (UseSdlWindowBackend(problem)) return true;
        if (!picturesOnly) return false;
        std::fprintf(stderr, "%s: %s: drawing offscreen\n", kProgramName, problem->c_str());
    }
    return UseHeadlessWindowBackend(TakeStopRequest, problem);
}

}  // namespace

int main(int argc, char** argv) {
    // Every reload reads whole files and decodes them (the cube map alone is
    // 6 MB, twice): blocks of 1 MiB and more are mapped for themselves and
    // given back when freed. glibc would otherwise raise its threshold after
    // the first such block is freed and keep the next ones in the heap, where
    // a long run of reloads leaves the resident memory 10 to 25 % higher and
    // swinging with each reload (scripts/soak.sh).
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    ChooseSessionBus();  // before any thread: SDL then never starts a bus of its own
    const std::string working = WorkingFolder();
    CommandLine line = ParseCommandLine(argc, argv, working);
    switch (line.action) {
    case CommandLineAction::Help: std::fputs(HelpText().c_str(), stdout); return kExitQuit;
    case CommandLineAction::Version: std::printf("%s\n", VersionText().c_str()); return kExitQuit;
    case CommandLineAction::BadUsage: return BadUsage(line.problem);
    case CommandLineAction::Run: break;
    }
    std::string problem = CheckOptionFiles(line.options);
    if (problem.empty()) problem = PlaceFileArguments(&line.options);
    if (!problem.empty()) return BadUsage(problem);

    const bool thumbnail = !line.options.thumbnail.empty();
    // Before the first thread (the stop signals' watcher): it sets a variable.
    if (!thumbnail) UseComposeCache();
    InstallStopSignals();
    const bool unattended = !line.options.screenshot.empty() || thumbnail;
    // fontconfig reads its configuration while the window and the GL device
    // start; the HUD's font waits for it (a thumbnail draws no text).
    if (!thumbnail) gfx::font::StartLoadingFontConfiguration();
    if (!StartWindowSystem(unattended, thumbnail, &problem)) {
        ReportStartupFailure(StderrReport(BoxRoute::Dropped), problem);  // no display: stderr only
        return kExitStartFailed;
    }

    AppServices services;
    // Nobody is there to close a box in a screenshot run: its text goes to
    // stderr, and the start-up failure, already a stderr line, shows none.
    // Watch mode shows no box either: its notes are on stderr, and what did
    // not load is shown in red. After start-up no box is shown at all.
    const BoxRoute loading = unattended           ? BoxRoute::AsStderrLines
                             : line.options.watch ? BoxRoute::Dropped
                                                  : BoxRoute::Shown;
    services.report = StderrReport(loading);
    services.liveReport = StderrReport(BoxRoute::Dropped);
    services.failureReport = StderrReport(unattended ? BoxRoute::Dropped : BoxRoute::ShownAsErrors);
    const char* live = std::getenv("RR_REPORT_LIVE_OBJECTS");
    services.reportLiveObjects = live && std::string(live) == "1";
    services.dataFolder = FindDataFolder(working, ProgramFolder());
    services.baseFolder = DataBaseFolder(services.dataFolder, working);
    // A thumbnail says nothing unless it fails: a file manager runs it from anywhere.
    if (!services.baseFolder.empty() && !thumbnail) {
        const DataFolderChoice& data = services.dataFolder;
        std::fprintf(stderr,
                     "%s: reading the program's files from %s (none in the working folder %s)\n",
                     kProgramName, data.searched[size_t(data.chosen)].c_str(), working.c_str());
    }
    services.stopRequested = StopRequested;
    services.createDirect3D = gfx::devices::CreateOpenGl;
    if (thumbnail) return RunThumbnail(line.options, services);
    return GetApplication().Run(nullptr, SW_SHOWDEFAULT, line.options, services);
}
