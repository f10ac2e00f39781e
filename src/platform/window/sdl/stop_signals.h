// SIGINT and SIGTERM as a request to quit, in every state of the program
// (drawing, waiting while inactive, a message box open: the box is closed).
// The request comes as the close of the main window at the backend's next
// poll, so the usual teardown and exit code follow. A second signal ends
// the process at once.
#pragma once

// Installs the handlers and the thread that acts on them; tells SDL to
// install none of its own. Call before SDL is initialised. False (nothing
// installed) when the pipe or the thread cannot be made.
bool InstallStopSignals();

// True once a signal has come (stays true).
bool StopRequested();
// True once per signal, for the backend that turns it into a quit.
bool TakeStopRequest();

// Brackets SDL's modal message box. Begin returns false, and nothing may be
// shown, once a stop has been requested. End returns true when a stop came
// while the box was open (the box was then closed by force).
bool BeginMessageBox();
bool EndMessageBox();
