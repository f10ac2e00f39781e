// The program's exit codes, decided in one place.
#pragma once

enum ExitCode : int {
    // A normal quit: Escape, closing the window, SIGINT or SIGTERM; also
    // --help, --version and a saved --screenshot.
    kExitQuit = 0,
    // The program could not start, or could not save its --screenshot; the
    // reason is on stderr, and in a message box too when a display works
    // (not in a screenshot run).
    kExitStartFailed = 1,
    // The command line was not understood, or a file it names is missing:
    // the reason and the usage line on stderr; no window was made.
    kExitBadUsage = 2,
};
