// The scene the command line asks for: the program's own character, cube
// map and effect (the fixed paths, read from the data folder), or the files
// the options name.
#pragma once

#include <string>

#include "app/command_line.h"
#include "scene/scene.h"

// The fixed paths are read from baseFolder (empty: the working folder); the
// options' paths are absolute. With --model and no --animation there are no
// clips (the bind pose); with neither, the character's three clips.
SceneDescription DescribeScene(const ProgramOptions& options, const std::string& baseFolder);
