// The program's exit codes, decided in one place.
#pragma once

enum ExitCode : int {
    // A normal quit: Escape, closing the window, SIGINT or SIGTERM.
    kExitQuit = 0,
    // The program could not start; the reason is on stderr, and in a
    // message box too when a display works.
    kExitStartFailed = 1,
    // The command line was not understood (kept for the command line).
    kExitBadUsage = 2,
};
