#include "app/thumbnail.h"

#include <cstdio>
#include <string>

#include "app/exit_codes.h"
#include "app/program_scene.h"
#include "app/screenshot.h"
#include "platform/gfx/effect/compile_child.h"
#include "render/camera_framing.h"
#include "render/renderer.h"
#include "scene/model_bounds.h"
#include "scene/scene.h"
#include "scene/thumbnail_frame.h"

namespace {

constexpr char kThumbnailClass[] = "reflect-refract thumbnail";

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
    gfx::effect::StartCompilerProcess();
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
    SceneDescription description = DescribeScene(options, services.baseFolder);
    description.effectFailureBox = false;
    description.clip = options.clip;
    SceneBuildResult built;
    bool made = BuildScene(description, run.renderer.device, report, SceneBuildHooks{}, &run.scene,
                           &built);
    std::string problem = WhatDidNotLoad(built, run.scene, notes);
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
