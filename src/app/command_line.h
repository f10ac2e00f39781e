// The command line: with no arguments the program shows its own character
// from its fixed paths; the options below show anyone's SMD character, with
// any cube map and effect, watch the effect file, or save a picture and quit.
//
// Parsing is pure (arguments in, options or a reason out); whether the named
// files exist is a second, separate check. Paths come out absolute, made so
// against the working folder the program was started in: the program's own
// files are read from another base folder (data_folder.h), and messages name
// every file by a path that can be found from anywhere.
#pragma once

#include <string>
#include <vector>

#include "platform/report/program_name.h"

inline constexpr int kDefaultScreenshotFrames = 60;
inline constexpr int kMaxScreenshotFrames = 100000;
// The model keeps at most this many clips (kMaxClips).
inline constexpr int kMaxAnimationFiles = 32;
// The program's own character's clips, when no --animation is given.
inline constexpr int kDefaultAnimationCount = 3;

struct ProgramOptions {
    std::string model;                    // reference file; empty: the program's own character
    std::vector<std::string> animations;  // clips in order; none: see AnimationCount
    int clip = 0;                         // the clip that plays
    std::string cubemap;                  // empty: the program's own cube map
    std::string effect;                   // empty: the program's own effect
    bool watch = false;                   // compile the effect again when its file changes
    std::string screenshot;               // PNG to save after `frames` frames; empty: none
    int frames = kDefaultScreenshotFrames;
};

// The number of animation files the options load: those given; with none
// given, the program's own character's three, or none with --model (its
// bind pose is shown then).
int AnimationCount(const ProgramOptions& options);

enum class CommandLineAction { Run, Help, Version, BadUsage };

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    ProgramOptions options;
    std::string problem;  // for BadUsage: what was wrong, one line
};

// argv[1..argc-1]. Options take their value as the next argument or after
// '=' (--clip=2). workingFolder makes relative paths absolute.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& workingFolder);

// The files the options name: each input a regular file, the screenshot's
// folder an existing folder. Empty when all is well, else one line.
std::string CheckOptionFiles(const ProgramOptions& options);

// "usage: reflect-refract [--model REFERENCE.smd ...] ..." (one line).
std::string UsageLine();
// The --help text: the usage line, every option, keys and exit codes.
std::string HelpText();
// "reflect-refract VERSION".
std::string VersionText();
// The options --help lists ("--model", "--animation", ...), for the tests
// that keep the README and the man page in step with the program.
std::vector<std::string> OptionNames();
