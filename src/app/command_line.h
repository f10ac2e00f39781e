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
// --thumbnail SIZE: the picture's side in pixels.
inline constexpr int kMinThumbnailSize = 8;
inline constexpr int kMaxThumbnailSize = 1024;
inline constexpr int kMaxScreenshotFrames = 100000;
// The model keeps at most this many clips (kMaxClips).
inline constexpr int kMaxAnimationFiles = 32;
// The program's own character's clips, when no --animation is given.
inline constexpr int kDefaultAnimationCount = 3;

// --fps N: keyframes per second of real-time playback.
inline constexpr int kMinKeyframesPerSecond = 1;
inline constexpr int kMaxKeyframesPerSecond = 1000;
inline constexpr int kDefaultKeyframesPerSecondOption = 30;

// --panel / --no-panel, or neither (the default depends on the other options).
enum class PanelChoice { Default, Shown, Hidden };
// --playback frame|time, or neither.
enum class PlaybackChoice { Default, PerFrame, RealTime };

// A file given without an option, and how many --animation files came
// before it (a clip among them keeps its place in the command line's order).
struct FileArgument {
    std::string path;
    size_t animationsBefore = 0;
};

struct ProgramOptions {
    std::string model;                    // reference file; empty: the program's own character
    std::vector<std::string> animations;  // clips in order; none: see AnimationCount
    // Files given without an option, until PlaceFileArguments has put each
    // where its kind goes (model, animations, cubemap, effect).
    std::vector<FileArgument> files;
    int clip = 0;            // the clip that plays
    bool clipGiven = false;  // --clip was given
    std::string cubemap;     // empty: the program's own cube map
    std::string effect;      // empty: the program's own effect
    bool watch = false;      // compile the effect again when its file changes
    std::string screenshot;  // PNG to save after `frames` frames; empty: none
    int frames = kDefaultScreenshotFrames;
    // --thumbnail SIZE IN OUT.png: the reference IN (in model) drawn alone on
    // a transparent square of SIZE pixels, saved to OUT; empty: no thumbnail.
    std::string thumbnail;
    int thumbnailSize = 0;
    // The viewer panel and playback: whether the panel shows at start, how
    // the clip moves (PanelShownAtStart, RealTimePlaybackAtStart), the clip
    // rate in real time, and whether Present waits for the display's refresh.
    PanelChoice panel = PanelChoice::Default;
    PlaybackChoice playback = PlaybackChoice::Default;
    int keyframesPerSecond = kDefaultKeyframesPerSecondOption;
    bool vsync = false;
};

// Whether the viewer panel is shown at start: as --panel or --no-panel say;
// without either, with --model, but never in a --screenshot picture (nor a
// thumbnail).
bool PanelShownAtStart(const ProgramOptions& options);
// Whether the clip moves in real time at start (else a fixed step per
// drawn frame): as --playback says; without it, with --model unless a
// --screenshot is taken (its picture stays the same for the same --frames).
bool RealTimePlaybackAtStart(const ProgramOptions& options);

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
// '=' (--clip=2); --thumbnail takes its three as the next three arguments.
// workingFolder makes relative paths absolute.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& workingFolder);

// The files the options name: each input a regular file, the screenshot's
// and the thumbnail's folders existing folders. Empty when all is well, else one line.
std::string CheckOptionFiles(const ProgramOptions& options);

// Reads the files given without an option and puts each where its kind
// goes (file_kinds.h), as the option for it would: a reference as --model,
// a clip as --animation in the command line's order, a .dds as --cubemap,
// a .fx as --effect; then checks --clip against the clips. Empty when all
// is well, else one line: a kind given twice (also by its option), a file
// whose kind cannot be told, a clip number beyond the clips.
std::string PlaceFileArguments(ProgramOptions* options);

// Whether a file of the scene that does not load ends the run (exit code
// 1): when the command line named the files (options or file arguments) or
// asked for a screenshot; not in watch mode, where a save loads it again.
bool LoadFailuresEndTheRun(const ProgramOptions& options);

// "usage: reflect-refract [--model REFERENCE.smd ...] ..." (one line).
std::string UsageLine();
// The --help text: the usage line, every option, keys and exit codes.
std::string HelpText();
// "reflect-refract VERSION".
std::string VersionText();
// The options --help lists ("--model", "--animation", ...), for the tests
// that keep the README and the man page in step with the program.
std::vector<std::string> OptionNames();
