// --thumbnail SIZE IN OUT.png: the reference drawn alone, framed from the
// front with all of it in view, through the effect, on a transparent square
// of SIZE pixels, saved as an RGBA PNG. No window is shown, no HUD drawn.
#pragma once

#include "app/application.h"

// Runs on the window system installed (the headless one); the options'
// model is IN, thumbnail OUT. kExitQuit once OUT is written; kExitStartFailed
// with one line on stderr (and no OUT) when a file of the scene does not
// load, nothing of the model can be drawn, or OUT cannot be written.
int RunThumbnail(const ProgramOptions& options, const AppServices& services);
