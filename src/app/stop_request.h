// Whether the person has asked the program to stop (SIGINT or SIGTERM)
// while it was still starting. The window layer turns the request into the
// main window's close once the message loop runs; until then, start-up asks
// here so that it skips the model files still to load, whose loading would
// only delay the quit.
#pragma once

using StopQuery = bool (*)();

// Installed by main with the window layer's answer; none: never.
void SetStopQuery(StopQuery query);
bool StopRequestedDuringStartup();
