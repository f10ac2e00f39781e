#include "app/application.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "app/exit_codes.h"
#include "app/key_screenshot.h"
#include "app/program_scene.h"
#include "app/screenshot.h"
#include "model/skinned_model.h"
#include "platform/files.h"
#include "platform/gfx/effect/compile_child.h"
#include "platform/gfx/effect/effect_cache.h"
#include "render/camera_framing.h"
#include "scene/model_bounds.h"
#include "scene/scene_prefetch.h"

namespace {

Application theApplication;

constexpr uintptr_t kIconResource = 101;
// An inactive window in watch mode draws this often (it would otherwise
// wait for messages, and an edit saved in another window would not show).
constexpr auto kInactiveWatchFrameInterval = std::chrono::milliseconds(100);

struct StartupSteps {
    Application* app;
    int showCommand;
};

// The frame's overlay hook: the panel over the HUD.
void DrawPanel(void* context) {
    auto* app = static_cast<Application*>(context);
    app->panel.DrawFrame(app->renderer.device, uint32_t(app->renderer.viewportWidth),
                         uint32_t(app->renderer.viewportHeight), app->services.baseFolder,
                         app->clientWidth, app->clientHeight, app->PanelBindings(),
                         app->services.liveReport);
}

void ShowOnceTheEnvironmentIsThere(void* context) {
    auto* steps = static_cast<StartupSteps*>(context);
    steps->app->ShowAppWindow(steps->showCommand);
}

bool StopRequestedDuringStartup(void* context) {
    auto* steps = static_cast<StartupSteps*>(context);
    return steps->app->services.stopRequested && steps->app->services.stopRequested();
}

// The files that did not load, one line: "the reference /a/b.smd did not
// load (line 3: ...); the animation ... did not load (...)".
std::string NotLoaded(const std::vector<SceneFileFailure>& failures) {
    std::string text;
    for (const SceneFileFailure& failure : failures) {
        const char* kind = failure.file == SceneFile::Reference ? "the reference "
                           : failure.file == SceneFile::Clip    ? "the animation "
                           : failure.file == SceneFile::Effect  ? "the effect "
                                                                : "the cube map ";
        text += (text.empty() ? "" : "; ") + std::string(kind) + failure.path + " did not load";
        if (!failure.reason.empty()) text += " (" + failure.reason + ")";
    }
    return text;
}

StartupStep StepOf(SceneFailure failure) {
    switch (failure) {
    case SceneFailure::BoxBuffers: return StartupStep::BoxBuffers;
    case SceneFailure::CubeMap: return StartupStep::CubeMap;
    case SceneFailure::ModelMemory: return StartupStep::ModelMemory;
    case SceneFailure::ClipMissing:
    case SceneFailure::None: break;
    }
    return StartupStep::ClipMissing;
}

}  // namespace

Application& GetApplication() { return theApplication; }

Application::~Application() { ReleaseAll(); }

void Application::ReleaseAll() {
    display.Release();  // viewer display: its objects before the device
    panel.Destroy();    // its device objects before the device
    scene.Release();
    renderer.ReleaseDevice();
}

void Application::Reset() {
    std::destroy_at(this);
    std::construct_at(this);
}

int Application::Run(HINSTANCE instance, int showCommand, const ProgramOptions& programOptions,
                     const AppServices& appServices) {
    options = programOptions;
    services = appServices;
    // The panel's messages list sees every note; each goes on where it went.
    reportTee = MessageTee{&messages, services.report};
    services.report = TeeReport(&reportTee);
    liveReportTee = MessageTee{&messages, services.liveReport};
    services.liveReport = TeeReport(&liveReportTee);
    panel.Create();
    SceneDescription description = DescribeScene(options, services.baseFolder);
    // The scene's files are read and parsed on a worker while the window and
    // the device start (most of that time is spent waiting on the display);
    // it is joined before BuildScene takes them, or on any way out of Run.
    ScenePrefetch prefetch;
    prefetch.Start(description, services.stopRequested);
    // The effect compiler's process starts now and is ready when the effect
    // is compiled, after the window and the device; an effect in the cache
    // needs none (watch mode starts one after the first frame, for the saves).
    const std::string effectFile = PathIn(description.baseFolder, description.effectPath.c_str());
    sparePending = gfx::effect::EffectFileIsCached(effectFile);
    if (!sparePending) gfx::effect::StartCompilerProcess();
    settings.clipIndex = options.clip;
    // Playback and the panel as the command line asks (issue 23).
    playback.timing =
        RealTimePlaybackAtStart(options) ? PlaybackTiming::RealTime : PlaybackTiming::PerFrame;
    playback.keyframesPerSecond = static_cast<float>(options.keyframesPerSecond);
    panel.visible = PanelShownAtStart(options);
    panelInScreenshot = options.panel == PanelChoice::Shown;
    vsync = options.vsync;
    // A model whose clip has no keyframes stands in its bind pose.
    settings.bindPoseWithoutClip = true;
    CreateAppWindow(instance);
    panel.ScaleForDpi(GetDpiForWindow(window));  // HiDPI: the panel takes the display's scale

    // A failed start releases what it made (the box buffers before the
    // device that made them), then says why; the window is never shown.
    if (gfx::Failed(renderer.InitDevice(services.createDirect3D, window, clientWidth, clientHeight,
                                        kHudFontHeight)))
        return FailStartup(DeviceFailureFacts());

    // The environment, then the window shown, then the effect (without one
    // the frames show the HUD only) and the model files.
    StartupSteps steps{this, showCommand};
    SceneBuildHooks hooks{&steps, ShowOnceTheEnvironmentIsThere, nullptr,
                          StopRequestedDuringStartup};
    SceneBuildResult built;
    const bool builtScene = BuildScene(description, renderer.device, services.report, hooks, &scene,
                                       &built, prefetch.Take());
    prefetch.prepared = PreparedSceneFiles{};  // what BuildScene did not take
    if (!builtScene) {
        StartupFacts facts;
        facts.failed = StepOf(built.failure);
        facts.cubeMapFile = built.cubeMapFile;
        facts.cubeMapDisplayPath =
            DisplayPathIn(description.baseFolder, description.cubeMapPath.c_str());
        facts.dataFolder = services.dataFolder;
        facts.clip = options.clip;
        facts.clipsLoaded = built.clipsLoaded;
        facts.clipFiles = built.clipFiles;
        for (const SceneFileFailure& failure : built.failures) {
            if (failure.file == SceneFile::Clip && failure.clip == options.clip) {
                facts.clipFile = failure.path;
                facts.clipReason = failure.reason;
            }
        }
        return FailStartup(facts);
    }
    // A file the command line named that did not load ends the run, after
    // its own message (a box, or stderr with --screenshot).
    if (!built.stopped && !built.failures.empty() && LoadFailuresEndTheRun(options)) {
        StartupFacts facts;
        facts.failed = StartupStep::FileNotLoaded;
        facts.fileFailure = NotLoaded(built.failures);
        return FailStartup(facts);
    }
    if (!options.model.empty()) FrameCharacter();
    if (options.watch) {
        ShowFailures(built.failures);
        WatchSceneFiles();
    }
    if (services.reportLiveObjects)
        services.report.NoteFormat("live device objects: %u (the scene is built)",
                                   renderer.device->GetLiveObjectCount());

    // Every waiting message first; then one frame if active, else block.
    // Watch and screenshot runs draw while inactive too.
    const bool screenshot = !options.screenshot.empty();
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, nullptr, 0, 0)) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (DrawsWhileIdle()) {
            if (options.watch) ReloadChangedFiles();
            RenderFrame();
            // What the first frame made (the panel's objects, when it is
            // shown) counts as built: later frames make nothing more.
            if (services.reportLiveObjects && framesDrawn == 1)
                services.report.NoteFormat("live device objects: %u (the first frame is drawn)",
                                           renderer.device->GetLiveObjectCount());
            if (sparePending && options.watch) {
                gfx::effect::StartCompilerProcess();
                sparePending = false;
            }
            if (screenshot && framesDrawn == options.frames) SaveScreenshot();
            if (!active && !screenshot) std::this_thread::sleep_for(kInactiveWatchFrameInterval);
        } else {
            WaitMessage();
        }
    }
    if (services.reportLiveObjects && renderer.device)
        services.report.NoteFormat("live device objects: %u (the loop has ended)",
                                   renderer.device->GetLiveObjectCount());
    return static_cast<int>(message.wParam);
}

bool Application::DrawsWhileIdle() const {
    return active || options.watch || !options.screenshot.empty();
}

int Application::FailStartup(const StartupFacts& facts) {
    std::string why = DescribeStartupFailure(facts);
    ReleaseAll();
    // A file that did not load has shown its own box: one more would only repeat it.
    if (facts.failed == StartupStep::FileNotLoaded)
        services.failureReport.Note(("cannot start: " + why).c_str());
    else
        ReportStartupFailure(services.failureReport, why);
    return kExitStartFailed;
}

StartupFacts Application::DeviceFailureFacts() const {
    StartupFacts facts;
    if (!renderer.direct3D) {
        facts.failed = StartupStep::Direct3D;
    } else if (!renderer.device) {
        facts.failed = StartupStep::Device;
        facts.deviceDetail = renderer.direct3D->GetCreationFailure();
    } else {
        facts.failed = StartupStep::Font;
    }
    return facts;
}

bool Application::CreateAppWindow(HINSTANCE instance) {
    windowClass = WNDCLASSA{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, kIconResource);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassA(&windowClass);

    // No WS_VISIBLE: hidden until start-up has a device; no WS_THICKFRAME.
    window = CreateWindowExA(0, kWindowClassName, kWindowClassName,
                             WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                             CW_USEDEFAULT, CW_USEDEFAULT, clientWidth, clientHeight, nullptr,
                             nullptr, instance, nullptr);
    return true;
}

void Application::SetClientSize() {
    RECT rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = clientWidth;
    rect.bottom = clientHeight;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    BOOL hasMenu = GetMenu(window) != nullptr;
    AdjustWindowRectEx(&rect, style, hasMenu, exStyle);
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOMOVE);
}

void Application::ShowAppWindow(int showCommand) {
    SetClientSize();
    ShowWindow(window, showCommand);
    renderer.SetTextColor(0.0f, 1.0f, 1.0f, 1.0f);
}

bool Application::OnSize(int32_t width, int32_t height) {
    clientWidth = width;
    clientHeight = height;
    return true;
}

void Application::ApplyWindowMode() {
    if (!window) return;
    if (windowResizable != panel.visible) {
        windowResizable = panel.visible;
        const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
        SetWindowLongA(
            window, GWL_STYLE,
            static_cast<LONG>(panel.visible ? style | WS_THICKFRAME : style & ~WS_THICKFRAME));
        if (!panel.visible) {
            if (fullscreen) SetWindowFullscreen(window, 0);
            fullscreen = false;
            clientWidth = kFixedClientWidth;
            clientHeight = kFixedClientHeight;
            SetClientSize();
        }
    }
    // Without the panel a larger window shows the fixed picture stretched.
    const int32_t width = panel.visible ? clientWidth : kFixedClientWidth;
    const int32_t height = panel.visible ? clientHeight : kFixedClientHeight;
    if (width > 0 && height > 0 &&
        (width != renderer.viewportWidth || height != renderer.viewportHeight))
        renderer.ResizeBackBuffer(width, height);
}

FrameRenderer Application::Frame() {
    ApplyWindowMode();
    // How far the clip moves in this frame (issue 23: playback).
    settings.animationTimeStep = playback.StepFor(SecondsSinceLastFrame());
    settings.clipMotion.loop = playback.loop;
    settings.clipMotion.carry = playback.timing == PlaybackTiming::RealTime;
    if (vsync != vsyncApplied && renderer.device &&
        gfx::Succeeded(renderer.device->SetPresentInterval(
            vsync ? gfx::D3DPRESENT_INTERVAL_ONE : gfx::D3DPRESENT_INTERVAL_IMMEDIATE)))
        vsyncApplied = vsync;

    FrameRenderer frame{renderer, scene, hud, settings};
    frame.settings.hudAlert = alerts.lines.c_str();
    // The screenshot is the last frame's picture; F12 asks for the next one.
    bool last = !options.screenshot.empty() && framesDrawn + 1 == options.frames;
    frame.settings.capture = last ? &capture : keyScreenshotsPending > 0 ? &keyCapture : nullptr;
    // Viewer display: the built-in effects come from the program's data folder.
    if (display.baseFolder != services.baseFolder) display.baseFolder = services.baseFolder;
    display.report = services.liveReport;
    frame.display = &display;
    // The panel, when shown; a screenshot leaves it out unless asked for.
    if (panel.visible && (options.screenshot.empty() || panelInScreenshot)) {
        panelOverlay = FrameOverlay{this, DrawPanel};
        frame.settings.overlay = &panelOverlay;
    }
    return frame;
}

PanelTargets Application::PanelBindings() {
    PanelTargets targets;
    targets.playback = &playback;
    targets.view = &settings.view;
    targets.frame = &settings;
    targets.scene = &scene;
    targets.world = &renderer.world;
    targets.messages = &messages;
    targets.vsync = &vsync;
    return targets;
}

void Application::RenderFrame() {
    FrameRenderer frame = Frame();
    frame.RenderFrame();
    ++framesDrawn;
    if (frame.settings.capture == &keyCapture) SaveKeyScreenshot();
}

void Application::FrameCharacter() {
    Vector3 low, high;
    if (!scene.model ||
        !ModelWorldBounds(*scene.model, settings.clipIndex, renderer.world, &low, &high))
        return;
    CameraFraming framing = FrameBox(low, high, renderer.projection);
    renderer.camera.SetPosition(framing.position);
    renderer.UpdateViewMatrix();
    moveUnits = framing.moveUnits;
}

double Application::SecondsSinceLastFrame() {
    const uint32_t now = timeGetTime();
    // Unsigned difference: right across the tick count's wrap.
    const uint32_t elapsed = frameClockStarted ? now - lastFrameTick : 0;
    lastFrameTick = now;
    frameClockStarted = true;
    return elapsed / 1000.0;
}

void Application::SaveKeyScreenshot() {
    --keyScreenshotsPending;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string folder =
        KeyScreenshotFolder(std::getenv("XDG_PICTURES_DIR"), WorkingFolder());
    std::string path, error;
    if (::SaveKeyScreenshot(keyCapture, folder, local, &path, &error))
        services.liveReport.NoteFormat("F12: the picture is saved as %s", path.c_str());
    else
        services.liveReport.NoteFormat("F12: the picture could not be saved: %s", error.c_str());
    keyCapture.rgba.clear();
    keyCapture.taken = false;
}

void Application::SaveScreenshot() {
    std::string error = options.screenshot + ": the picture could not be read back";
    if (capture.taken &&
        SavePng(options.screenshot, capture.width, capture.height, capture.rgba, &error)) {
        PostQuitMessage(kExitQuit);
        return;
    }
    services.report.Note(("cannot save the screenshot " + error).c_str());
    PostQuitMessage(kExitStartFailed);
}
