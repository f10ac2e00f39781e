// What a person who started the program is told when it cannot start: one
// note naming what failed and what to do ("reflect-refract: cannot start:
// ..." on stderr), and, when a display works and nobody has said otherwise
// (--screenshot), a message box with the same text, for whoever started it
// from a launcher and sees no terminal. The composition's report sink decides
// which of the two go where.
#pragma once

#include <string>

#include "app/data_folder.h"
#include "platform/report/program_name.h"
#include "platform/report/report_sink.h"

inline constexpr const char* kStartupFailureCaption = kProgramName;

// The step that failed, and what it leaves to say.
enum class StartupStep {
    Direct3D,     // no device layer
    Device,       // the device layer made no device for the window
    Font,         // the HUD font
    BoxBuffers,   // the environment box's buffers
    CubeMap,      // the cube map
    ModelMemory,  // no memory for the model
    ClipMissing,  // --clip names a clip that did not load
};

// A start-up failure, in plain facts gathered before anything is released.
struct StartupFacts {
    StartupStep failed = StartupStep::Direct3D;
    // Device: what the device layer found; empty when it cannot say.
    std::string deviceDetail;
    // CubeMap: the path as opened and as a person finds it.
    std::string cubeMapFile;
    std::string cubeMapDisplayPath;
    // CubeMap: where the program's files were looked for.
    DataFolderChoice dataFolder;
    // ClipMissing: the clip asked for, the clips that loaded and the files.
    int clip = 0;
    int clipsLoaded = 0;
    int clipFiles = 0;
};

// The reason and what to do, UTF-8, without the "cannot start: " prefix.
// Reads the environment (MESA_GL_VERSION_OVERRIDE) and, for the cube map,
// the file again to say what is wrong with it.
std::string DescribeStartupFailure(const StartupFacts& facts);

// The note "cannot start: WHAT" and the box (caption kStartupFailureCaption)
// with the same text in code page 949, both to sink. what is UTF-8.
void ReportStartupFailure(const ReportSink& sink, const std::string& what);
