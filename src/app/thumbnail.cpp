#include "app/thumbnail.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "app/program_scene.h"
#include "app/screenshot.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/effect/compile_child.h"
#include "render/camera_framing.h"
#include "render/renderer.h"
#include "scene/model_bounds.h"
#include "scene/scene.h"
#include "scene/scene_prefetch.h"
#include "scene/thumbnail_frame.h"

namespace {

constexpr char kThumbnailClass[] = "reflect-refract thumbnail";
// The largest SMD file a thumbnail reads. A file manager asks for
// thumbnails of whatever it finds and waits for each: a 16 MiB file of the
// shortest triangle lines (290 000 triangles) is read, skinned and drawn in
// about 1.4 s here, a broken one refused sooner; the 256 MiB the program
// reads otherwise would take over ten.
constexpr off_t kMaxThumbnailFileBytes = off_t(16) << 20;

// Why the model or a clip file is too large for a thumbnail; empty if none is.
std::string TooLarge(const ProgramOptions& options) {
    std::vector<std::string> files = options.animations;
    files.insert(files.begin(), options.model);
    for (const std::string& path : files) {
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && info.st_size > kMaxThumbnailFileBytes)
            return path + " is " + std::to_string((info.st_size + (1 << 20) - 1) >> 20) +
                   " MiB; a thumbnail reads files of at most " +
                   std::to_string(kMaxThumbnailFileBytes >> 20) + " MiB";
    }
    return {};
}

// The loaders' notes are kept, not printed: a failure ends in one line
// that says which file did not load and why.
void KeepNote(void* context, const char* text) {
    auto* notes = static_cast<std::string*>(context);
    if (notes->empty()) *notes = text;
}

void KeepBox(void* context, const char* /*caption*/, const char* text) { KeepNote(context, text); }

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// What a failed build or load says: the first file that did not load.
std::string WhatDidNotLoad(const SceneBuildResult& built, const Scene& scene,
                           const std::string& notes) {
    if (built.failure == SceneFailure::CubeMap)
        return "the cube map " + built.cubeMapFile + " did not load";
    if (built.failure != SceneFailure::None && built.failures.empty())
        return "the scene could not be made" + (notes.empty() ? "" : " (" + FirstLine(notes) + ")");
    for (const SceneFileFailure& failure : built.failures) {
        const char* kind = failure.file == SceneFile::Reference ? "the reference "
                           : failure.file == SceneFile::Clip    ? "the animation "
                           : failure.file == SceneFile::Effect  ? "the effect "
                                                                : "the cube map ";
        return kind + failure.path + " did not load" +
               (failure.reason.empty() ? "" : " (" + failure.reason + ")");
    }
    if (!scene.effect)
        return "the effect " + scene.effectDisplayPath + " did not compile (" +
               FirstLine(built.effectFailure) + ")";
    return {};
}

struct ThumbnailRun {
    Renderer renderer;
    Scene scene;
    HWND window = nullptr;

    ~ThumbnailRun() {
        scene.Release();
        renderer.ReleaseDevice();
        if (window) DestroyWindow(window);
    }
};

int Fail(const std::string& why) {
    std::fprintf(stderr, "%s: cannot make the thumbnail: %s\n", kProgramName, why.c_str());
    return kExitStartFailed;
}

}  // namespace

int RunThumbnail(const ProgramOptions& options, const AppServices& services) {
    std::string problem = TooLarge(options);
    if (!problem.empty()) return Fail(problem);
    // The device layer's notes (a material texture that is not there, which
    // the effect never samples) are not the thumbnail's: it says nothing
    // unless it fails, and then in one line.
    struct QuietDevice {
        gfx::LogSink previous = gfx::SetLogSink([](const char*) {});
        ~QuietDevice() { gfx::SetLogSink(previous); }
    } quiet;
    gfx::effect::StartCompilerProcess();
    SceneDescription description = DescribeScene(options, services.baseFolder);
    description.effectFailureBox = false;
    description.clip = options.clip;
    // The files are read and parsed on a worker while the device starts.
    ScenePrefetch prefetch;
    prefetch.Start(description, services.stopRequested);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = kThumbnailClass;
    RegisterClassA(&windowClass);
    const int size = options.thumbnailSize;
    ThumbnailRun run;
    run.window = CreateWindowExA(0, kThumbnailClass, kThumbnailClass, 0, 0, 0, size, size, nullptr,
                                 nullptr, nullptr, nullptr);
    if (!run.window) return Fail("no window could be made");
    if (gfx::Failed(run.renderer.InitDevice(services.createDirect3D, run.window, size, size, 0))) {
        std::string why = run.renderer.direct3D ? run.renderer.direct3D->GetCreationFailure() : "";
        return Fail("no graphics device" + (why.empty() ? "" : ": " + why));
    }

    std::string notes;
    ReportSink report{&notes, KeepNote, KeepBox};
    SceneBuildResult built;
    bool made = BuildScene(description, run.renderer.device, report, SceneBuildHooks{}, &run.scene,
                           &built, prefetch.Take());
    prefetch.prepared = PreparedSceneFiles{};
    problem = WhatDidNotLoad(built, run.scene, notes);
    if (!made && problem.empty()) problem = "the scene could not be made";
    if (!problem.empty()) return Fail(problem);

    Vector3 low, high;
    if (!run.scene.model ||
        !ModelWorldBounds(*run.scene.model, options.clip, run.renderer.world, &low, &high))
        return Fail("the reference " + options.model + " has no triangle to draw");
    // No HUD over the picture: the character sits in its middle.
    CameraFraming framing = FrameBox(low, high, run.renderer.projection, 1.0f);
    run.renderer.camera.SetPosition(framing.position);
    run.renderer.UpdateViewMatrix();

    FrameCapture capture;
    if (!DrawThumbnailFrame(run.renderer, run.scene, options.clip, &capture))
        return Fail("nothing of " + options.model + " could be drawn");
    std::string error;
    if (!SaveRgbaPng(options.thumbnail, capture.width, capture.height, capture.rgba, &error))
        return Fail(error);
    return kExitQuit;
}
