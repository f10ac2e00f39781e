// Loading the character: the program's own (the fixed reference and its
// three clips) or the one the command line names.
#pragma once

#include "app/command_line.h"
#include "platform/gfx/core/device.h"

struct SkinnedModel;

// Loads the reference, then the clips in order, each through the model's
// loaders (which show their own messages). A stop asked for meanwhile
// skips the files still to load.
//
// A reference given on the command line is loaded from inside its own
// folder, by its file name: the loader keeps the folder part of its path in
// a 128-byte field and each material's texture path (that folder part and
// the material name) in an 80-byte one, so a reference named by a long
// absolute path would lose its textures, or be refused. The working folder
// is restored before the clips, which are named by their absolute paths.
void LoadModelFiles(SkinnedModel& model, gfx::Device* device, const ProgramOptions& options);
