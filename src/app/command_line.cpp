#include "app/command_line.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "app/file_kinds.h"
#include "app/version.h"
#include "platform/files.h"

namespace {

enum class OptionId {
    Model,
    Animation,
    Clip,
    Cubemap,
    Effect,
    Watch,
    Screenshot,
    Frames,
    Thumbnail,
    Panel,
    NoPanel,
    Playback,
    Fps,
    Vsync,
    Help,
    Version
};

struct OptionInfo {
    OptionId id;
    const char* name;
    const char* value;  // null: a switch without a value
    const char* help;
};

// The one list of options: parsing, --help and the documentation tests read it.
constexpr OptionInfo kOptions[] = {
    {OptionId::Model, "--model", "REFERENCE.smd",
     "show this SMD reference mesh instead of the program's own character; the camera starts "
     "in front of it, seeing all of it, and moves in steps suited to its size"},
    {OptionId::Animation, "--animation", "CLIP.smd",
     "load this SMD animation (repeat it for more: clip 0, 1, ... in the order given) instead "
     "of the three clips of the program's own character; with --model and no --animation the "
     "mesh stands in its bind pose"},
    {OptionId::Clip, "--clip", "N", "play clip N instead of clip 0"},
    {OptionId::Cubemap, "--cubemap", "FILE.dds",
     "the environment cube map instead of Textures/Snow.dds"},
    {OptionId::Effect, "--effect", "FILE.fx",
     "the HLSL effect instead of Shaders/ReflectionOrRefraction.fx (technique TShader: pass 0 "
     "draws the sky box, pass 1 the character)"},
    {OptionId::Watch, "--watch", nullptr,
     "load every file of the scene again whenever it is saved (the model and its textures, each "
     "clip, the cube map, the effect); a file that does not load keeps what runs, says why on "
     "stderr and in red on the HUD; no message box, and files that fail at start are loaded "
     "when saved"},
    {OptionId::Screenshot, "--screenshot", "FILE.png",
     "draw some frames, save the last one as a PNG and quit (message boxes go to stderr)"},
    {OptionId::Frames, "--frames", "N",
     "with --screenshot: how many frames to draw first (default 60)"},
    {OptionId::Thumbnail, "--thumbnail", "SIZE IN.smd OUT.png",
     "draw the reference IN (with the --animation clips: the first keyframe of clip 0, else "
     "its bind pose) from the front, all of it in view, through the effect, on a transparent "
     "square of SIZE pixels (8 to 1024), save it as an RGBA PNG and quit; needs no display"},
    {OptionId::Panel, "--panel", nullptr,
     "show the viewer panel at start (it is shown with --model, hidden otherwise; F1 toggles "
     "it); with --screenshot the picture shows it"},
    {OptionId::NoPanel, "--no-panel", nullptr, "start with the viewer panel hidden"},
    {OptionId::Playback, "--playback", "frame|time",
     "how the clip moves: frame, 0.01 keyframe per drawn frame (the default without --model "
     "and with --screenshot), or time, in real time at the clip's rate (the default with "
     "--model)"},
    {OptionId::Fps, "--fps", "N",
     "keyframes per second of real-time playback, 1 to 1000 (default 30)"},
    {OptionId::Vsync, "--vsync", nullptr,
     "wait for the display's refresh at each frame instead of drawing as fast as it can"},
    {OptionId::Help, "--help", nullptr, "print this help and quit"},
    {OptionId::Version, "--version", nullptr, "print the version and quit"},
};

const OptionInfo* FindOption(const std::string& name) {
    for (const OptionInfo& option : kOptions)
        if (name == option.name) return &option;
    if (name == "-h") return FindOption("--help");
    return nullptr;
}

std::string Absolute(const std::string& workingFolder, const std::string& path) {
    if (path.empty() || path[0] == '/' || workingFolder.empty()) return path;
    std::string relative = path;
    while (relative.compare(0, 2, "./") == 0) relative.erase(0, 2);
    return workingFolder + (workingFolder.back() == '/' ? "" : "/") + relative;
}

// A whole decimal number in [low, high]; false for anything else.
bool ParseNumber(const std::string& text, int low, int high, int* number) {
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    *number = value;
    return true;
}

// --clip against the clips the options load; empty when it is one of them.
std::string ClipProblem(const ProgramOptions& options) {
    int clips = AnimationCount(options);
    if (!options.clipGiven || options.clip < clips) return {};
    std::string clip = "--clip " + std::to_string(options.clip);
    if (clips == 0) return clip + ": no animation file is loaded (add --animation)";
    return clip + ": there are " + std::to_string(clips) + " animation files, clips 0 to " +
           std::to_string(clips - 1);
}

std::string FileProblem(const char* option, const std::string& path) {
    struct stat info;
    std::string resolved = ResolvePath(path.c_str());
    if (stat(resolved.c_str(), &info) != 0)
        return std::string(option) + " " + path + ": " + std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return std::string(option) + " " + path +
               (S_ISDIR(info.st_mode) ? ": a folder, not a file" : ": not a regular file");
    return {};
}

// The folder a picture is saved into exists; empty when it does.
std::string OutputFolderProblem(const char* option, const std::string& path) {
    std::string folder = path.substr(0, path.rfind('/') + 1);
    struct stat info;
    if (folder.empty()) folder = ".";
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::string(option) + " " + path + ": the folder " + folder + " does not exist";
    return {};
}

}  // namespace

int AnimationCount(const ProgramOptions& options) {
    if (!options.animations.empty()) return static_cast<int>(options.animations.size());
    return options.model.empty() ? kDefaultAnimationCount : 0;
}

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& workingFolder) {
    CommandLine line;
    ProgramOptions& options = line.options;
    auto refuse = [&](const std::string& problem) {
        line.action = CommandLineAction::BadUsage;
        line.problem = problem;
        return line;
    };
    bool clipGiven = false, framesGiven = false, fpsGiven = false;

    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i] ? argv[i] : "";
        std::string name = argument, value;
        size_t equals = argument.find('=');
        bool inlineValue = argument.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (inlineValue) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const OptionInfo* option = FindOption(name);
        if (!option) {
            if (!argument.empty() && argument[0] == '-') return refuse("unknown option " + name);
            if (argument.empty()) return refuse("an empty argument (a file name was expected)");
            options.files.push_back({Absolute(workingFolder, argument), options.animations.size()});
            continue;
        }
        if (option->id == OptionId::Thumbnail) {
            if (!options.thumbnail.empty()) return refuse("--thumbnail given twice");
            if (inlineValue || i + 3 >= argc || !argv[i + 2] || !argv[i + 3] || !argv[i + 2][0] ||
                !argv[i + 3][0])
                return refuse(name + " needs three values: " + option->value);
            std::string size = argv[i + 1] ? argv[i + 1] : "";
            if (!ParseNumber(size, kMinThumbnailSize, kMaxThumbnailSize, &options.thumbnailSize))
                return refuse("--thumbnail needs a size from " + std::to_string(kMinThumbnailSize) +
                              " to " + std::to_string(kMaxThumbnailSize) + " pixels, not \"" +
                              size + "\"");
            if (!options.model.empty()) return refuse("--thumbnail draws its IN.smd: no --model");
            options.model = Absolute(workingFolder, argv[i + 2]);
            options.thumbnail = Absolute(workingFolder, argv[i + 3]);
            i += 3;
            continue;
        }
        if (!option->value) {
            if (inlineValue) return refuse(name + " takes no value");
        } else if (!inlineValue) {
            if (i + 1 >= argc) return refuse(name + " needs a value: " + option->value);
            value = argv[++i] ? argv[i] : "";
        }
        if (option->value && value.empty())
            return refuse(name + " needs a value: " + option->value);

        switch (option->id) {
        case OptionId::Help: line.action = CommandLineAction::Help; return line;
        case OptionId::Version: line.action = CommandLineAction::Version; return line;
        case OptionId::Thumbnail: break;  // read above
        case OptionId::Model:
            if (!options.model.empty() && !options.thumbnail.empty())
                return refuse("--thumbnail draws its IN.smd: no --model");
            if (!options.model.empty()) return refuse("--model given twice");
            options.model = Absolute(workingFolder, value);
            break;
        case OptionId::Animation:
            if (options.animations.size() >= size_t(kMaxAnimationFiles))
                return refuse("at most " + std::to_string(kMaxAnimationFiles) +
                              " --animation files are loaded");
            options.animations.push_back(Absolute(workingFolder, value));
            break;
        case OptionId::Clip:
            if (clipGiven) return refuse("--clip given twice");
            if (!ParseNumber(value, 0, kMaxAnimationFiles - 1, &options.clip))
                return refuse("--clip needs a clip number from 0 to " +
                              std::to_string(kMaxAnimationFiles - 1) + ", not \"" + value + "\"");
            clipGiven = true;
            options.clipGiven = true;
            break;
        case OptionId::Cubemap:
            if (!options.cubemap.empty()) return refuse("--cubemap given twice");
            options.cubemap = Absolute(workingFolder, value);
            break;
        case OptionId::Effect:
            if (!options.effect.empty()) return refuse("--effect given twice");
            options.effect = Absolute(workingFolder, value);
            break;
        case OptionId::Watch: options.watch = true; break;
        case OptionId::Screenshot:
            if (!options.screenshot.empty()) return refuse("--screenshot given twice");
            options.screenshot = Absolute(workingFolder, value);
            break;
        case OptionId::Frames:
            if (framesGiven) return refuse("--frames given twice");
            if (!ParseNumber(value, 1, kMaxScreenshotFrames, &options.frames))
                return refuse("--frames needs a number of frames from 1 to " +
                              std::to_string(kMaxScreenshotFrames) + ", not \"" + value + "\"");
            framesGiven = true;
            break;
        case OptionId::Panel:
        case OptionId::NoPanel: {
            PanelChoice choice =
                option->id == OptionId::Panel ? PanelChoice::Shown : PanelChoice::Hidden;
            if (options.panel == choice) return refuse(name + " given twice");
            if (options.panel != PanelChoice::Default)
                return refuse("--panel and --no-panel: give one of them");
            options.panel = choice;
            break;
        }
        case OptionId::Playback:
            if (options.playback != PlaybackChoice::Default)
                return refuse("--playback given twice");
            if (value == "frame")
                options.playback = PlaybackChoice::PerFrame;
            else if (value == "time")
                options.playback = PlaybackChoice::RealTime;
            else
                return refuse("--playback needs frame or time, not \"" + value + "\"");
            break;
        case OptionId::Fps:
            if (fpsGiven) return refuse("--fps given twice");
            if (!ParseNumber(value, kMinKeyframesPerSecond, kMaxKeyframesPerSecond,
                             &options.keyframesPerSecond))
                return refuse("--fps needs a number of keyframes per second from " +
                              std::to_string(kMinKeyframesPerSecond) + " to " +
                              std::to_string(kMaxKeyframesPerSecond) + ", not \"" + value + "\"");
            fpsGiven = true;
            break;
        case OptionId::Vsync: options.vsync = true; break;
        }
    }

    if (framesGiven && options.screenshot.empty()) return refuse("--frames needs --screenshot");
    if (!options.thumbnail.empty()) {
        if (!options.screenshot.empty() || options.watch)
            return refuse("--thumbnail goes with neither --screenshot nor --watch");
        if (!options.files.empty()) return refuse("--thumbnail takes no files without an option");
        if (options.panel == PanelChoice::Shown) return refuse("--thumbnail draws no --panel");
    }
    // Files without an option may be clips: --clip is checked once they are placed.
    std::string problem = options.files.empty() ? ClipProblem(options) : "";
    if (!problem.empty()) return refuse(problem);
    return line;
}

std::string CheckOptionFiles(const ProgramOptions& options) {
    std::string problem;
    if (!options.model.empty()) problem = FileProblem("--model", options.model);
    for (const std::string& animation : options.animations)
        if (problem.empty()) problem = FileProblem("--animation", animation);
    if (problem.empty() && !options.cubemap.empty())
        problem = FileProblem("--cubemap", options.cubemap);
    if (problem.empty() && !options.effect.empty())
        problem = FileProblem("--effect", options.effect);
    for (const FileArgument& file : options.files)
        if (problem.empty()) problem = FileProblem("file", file.path);
    if (problem.empty() && !options.screenshot.empty())
        problem = OutputFolderProblem("--screenshot", options.screenshot);
    if (problem.empty() && !options.thumbnail.empty())
        problem = OutputFolderProblem("--thumbnail", options.thumbnail);
    return problem;
}

std::string PlaceFileArguments(ProgramOptions* options) {
    size_t clipsPlaced = 0;
    for (const FileArgument& file : options->files) {
        FileKindResult kind = KindOfFile(file.path);
        auto once = [&](std::string* slot, const char* option) {
            if (!slot->empty())
                return std::string(KindName(kind.kind)) + " is given twice: " + *slot + " and " +
                       file.path + " (" + option + ")";
            *slot = file.path;
            return std::string();
        };
        std::string problem;
        switch (kind.kind) {
        case FileKind::Reference: problem = once(&options->model, "--model"); break;
        case FileKind::CubeMap: problem = once(&options->cubemap, "--cubemap"); break;
        case FileKind::Effect: problem = once(&options->effect, "--effect"); break;
        case FileKind::Clip:
            if (options->animations.size() >= size_t(kMaxAnimationFiles))
                return "at most " + std::to_string(kMaxAnimationFiles) +
                       " animation files are loaded";
            options->animations.insert(
                options->animations.begin() + std::ptrdiff_t(file.animationsBefore + clipsPlaced),
                file.path);
            ++clipsPlaced;
            break;
        case FileKind::Unknown: problem = file.path + ": " + kind.why; break;
        }
        if (!problem.empty()) return problem;
    }
    options->files.clear();
    return ClipProblem(*options);
}

bool PanelShownAtStart(const ProgramOptions& options) {
    if (!options.thumbnail.empty()) return false;
    if (options.panel != PanelChoice::Default) return options.panel == PanelChoice::Shown;
    return !options.model.empty() && options.screenshot.empty();
}

bool RealTimePlaybackAtStart(const ProgramOptions& options) {
    if (options.playback != PlaybackChoice::Default)
        return options.playback == PlaybackChoice::RealTime;
    return !options.model.empty() && options.screenshot.empty();
}

bool LoadFailuresEndTheRun(const ProgramOptions& options) {
    if (!options.screenshot.empty() || !options.thumbnail.empty()) return true;
    if (options.watch) return false;
    return !options.model.empty() || !options.animations.empty() || !options.cubemap.empty() ||
           !options.effect.empty();
}

std::string UsageLine() {
    return std::string("usage: ") + kProgramName +
           " [--model REFERENCE.smd] [--animation CLIP.smd]... [--clip N] [--cubemap FILE.dds]"
           " [--effect FILE.fx] [--watch] [--screenshot FILE.png [--frames N]]"
           " [--thumbnail SIZE IN.smd OUT.png] [--panel|--no-panel] [--playback frame|time]"
           " [--fps N] [--vsync] [--help] [--version] [FILE.smd|FILE.dds|FILE.fx]...";
}

std::string HelpText() {
    std::string text = UsageLine() + "\n\n";
    text +=
        "A skinned character read from SMD files, drawn with an HLSL effect that reflects or\n"
        "refracts a cube-map environment. With no options it shows its own character from\n"
        "the files in its data folder.\n\nOptions:\n";
    for (const OptionInfo& option : kOptions) {
        std::string head = std::string("  ") + option.name;
        if (option.value) head += std::string(" ") + option.value;
        text += head + "\n";
        // The help wrapped at 78 columns, indented under the option.
        std::string line = "      ";
        for (const char* word = option.help; *word;) {
            const char* end = std::strchr(word, ' ');
            size_t length = end ? size_t(end - word) : std::strlen(word);
            if (line.size() > 6 && line.size() + 1 + length > 78) {
                text += line + "\n";
                line = "      ";
            }
            line += (line.size() > 6 ? " " : "") + std::string(word, length);
            word += length;
            while (*word == ' ') ++word;
        }
        text += line + "\n";
    }
    text +=
        "\nFiles given without an option are taken by their kind: FILE.smd as --model\n"
        "when it is a reference mesh, as --animation when it is an animation (told by\n"
        "its content), FILE.dds as --cubemap, FILE.fx as --effect. Dropped onto the\n"
        "window, a reference replaces the model (and its clips, unless clips come in\n"
        "the same drop), an animation is added and plays, a .dds replaces the\n"
        "environment, a .fx the effect; a file that does not load changes nothing and\n"
        "shows why in red under the HUD.\n"
        "\nKeys: W/S walk, A/D strafe, R/F fly, Q/E roll, right button drag turns,\n"
        "Space wireframe, 1 reflection, 2 refraction, F12 saves the picture as\n"
        "reflect-refract-DATE-TIME.png in the working folder (or $XDG_PICTURES_DIR),\n"
        "Escape quits. With the panel: P plays or pauses, comma and period step one\n"
        "keyframe back and forward, F11 fullscreen; the window can be resized.\n"
        "Exit codes: 0 quit; 1 could not start, a file the command line names did not\n"
        "load (with --screenshot or --thumbnail, any file of the scene), or the picture\n"
        "could not be saved; 2 bad usage, or a file the command line names is missing.\n";
    return text;
}

std::string VersionText() { return std::string(kProgramName) + " " + kProgramVersion; }

std::vector<std::string> OptionNames() {
    std::vector<std::string> names;
    for (const OptionInfo& option : kOptions) names.push_back(option.name);
    return names;
}
