#include "app/application.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "app/exit_codes.h"
#include "app/model_files.h"
#include "app/screenshot.h"
#include "app/startup_failure.h"
#include "app/stop_request.h"
#include "model/skinned_model.h"
#include "platform/files.h"
#include "platform/gfx/effect/compile_child.h"
#include "render/camera_framing.h"
#include "render/hud.h"
#include "scene/effect_reload.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"
#include "scene/frame_renderer.h"
#include "scene/model_bounds.h"

namespace {

Application theApplication;
FrameRateCounter theFrameRateCounter;

constexpr uintptr_t kIconResource = 101;
// An inactive window in watch mode draws this often (it would otherwise
// wait for messages, and an edit saved in another window would not show).
constexpr auto kInactiveWatchFrameInterval = std::chrono::milliseconds(100);

}  // namespace

Application& GetApplication() {
    return theApplication;
}

FrameRateCounter& GetFrameRateCounter() {
    return theFrameRateCounter;
}

Application::~Application() {
    ReleaseAll();
}

void Application::ReleaseAll() {
    delete model;
    model = nullptr;
    gfx::SafeRelease(effect);
    technique = nullptr;
    gfx::SafeRelease(vertexDeclaration);
    ReleaseEnvironment();
    renderer.ReleaseDevice();
}

void Application::Reset() {
    std::destroy_at(this);
    std::construct_at(this);
}

int Application::Run(HINSTANCE instance, int showCommand) {
    // The effect compiler's process starts now and is ready when the effect
    // is compiled, after the window and the device.
    gfx::effect::StartCompilerProcess();
    CreateAppWindow(instance);

    // A failed start releases what it made (the box buffers before the
    // device that made them), then says why; the window is never shown.
    if (gfx::Failed(renderer.InitDevice(window, clientWidth, clientHeight, kHudFontHeight))) {
        std::string why = DescribeDeviceFailure(*this);
        ReleaseAll();
        ReportStartupFailure(why);
        return kExitStartFailed;
    }
    if (gfx::Failed(CreateEnvironment())) {
        std::string why = DescribeEnvironmentFailure(*this);
        ReleaseAll();
        ReportStartupFailure(why);
        return kExitStartFailed;
    }

    SetClientSize();
    ShowWindow(window, showCommand);
    renderer.SetTextColor(0.0f, 1.0f, 1.0f, 1.0f);

    CreateEffect();  // without an effect the frames show the HUD only
    if (options.watch) WatchEffect();

    if (!model) {
        model = new (std::nothrow) SkinnedModel();
        if (!model) {
            ReleaseAll();
            ReportStartupFailure("out of memory for the model");
            return kExitStartFailed;
        }
    }
    // The loaders report malformed files themselves; the program goes on
    // with whatever was loaded. A stop asked for meanwhile (maybe from
    // inside a box) skips the remaining files: the loop then quits at once.
    LoadModelFiles(*model, renderer.device, options);
    if (options.clip > 0 && options.clip >= model->clipCount && !StopRequestedDuringStartup()) {
        std::string why = "--clip " + std::to_string(options.clip) + ": only " +
                          std::to_string(model->clipCount) + " of the " +
                          std::to_string(AnimationCount(options)) + " animation files loaded";
        ReleaseAll();
        ReportStartupFailure(why);
        return kExitStartFailed;
    }
    if (!options.model.empty()) FrameCharacter();

    // Every waiting message first; then one frame if active, else block.
    // Watch and screenshot runs draw while inactive too.
    const bool screenshot = !options.screenshot.empty();
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, nullptr, 0, 0)) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (active || options.watch || screenshot) {
            if (options.watch) ReloadEffectIfChanged();
            RenderFrame();
            if (screenshot && ++framesDrawn == options.frames) SaveScreenshot();
            if (!active && !screenshot) std::this_thread::sleep_for(kInactiveWatchFrameInterval);
        } else {
            WaitMessage();
        }
    }
    return static_cast<int>(message.wParam);
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

bool Application::OnSize(int32_t width, int32_t height) {
    clientWidth = width;
    clientHeight = height;
    return true;
}

EnvironmentBox Application::Box() {
    return EnvironmentBox{boxVertexBuffer, boxIndexBuffer, environmentMap, EnvironmentMapPath()};
}

FrameRenderer Application::Frame() {
    FrameRenderer frame{renderer,         effect,           technique,
                        vertexDeclaration, Box(),           model,
                        fillMode,          animationTimeStep, reflectionFactor,
                        textBuffer,        sizeof textBuffer, framesPerSecond,
                        theFrameRateCounter};
    frame.clipIndex = options.clip;
    frame.bindPoseWithoutClip = !options.model.empty();
    frame.hudAlert = effectAlert.c_str();
    // The screenshot is the last frame's picture.
    bool last = !options.screenshot.empty() && framesDrawn + 1 == options.frames;
    frame.capture = last ? &capture : nullptr;
    return frame;
}

const char* Application::EffectPath() const {
    return options.effect.empty() ? kEffectPath : options.effect.c_str();
}

const char* Application::EnvironmentMapPath() const {
    return options.cubemap.empty() ? kEnvironmentMapPath : options.cubemap.c_str();
}

void Application::FrameCharacter() {
    Vector3 low, high;
    if (!model || !ModelWorldBounds(*model, options.clip, renderer.world, &low, &high)) return;
    CameraFraming framing = FrameBox(low, high, renderer.projection);
    renderer.camera.SetPosition(framing.position);
    renderer.UpdateViewMatrix();
    moveUnits = framing.moveUnits;
}

void Application::WatchEffect() {
    std::string error;
    std::string path = DisplayPath(EffectPath());
    if (!effectWatch.Watch(path, &error))
        std::fprintf(stderr, "reflect-refract: cannot watch the effect %s: %s\n", path.c_str(),
                     error.c_str());
}

void Application::ReloadEffectIfChanged() {
    if (!effectWatch.Changed()) return;
    std::string text;
    std::string path = DisplayPath(EffectPath());
    if (RecompileEffect(renderer.device, EffectPath(), effect, technique, &text)) {
        effectAlert.clear();
        std::fprintf(stderr, "reflect-refract: effect %s compiled again\n", path.c_str());
    } else {
        effectAlert = FirstErrorLine(text);
        std::fprintf(stderr, "reflect-refract: effect %s not compiled, the running effect stays:\n%s\n",
                     path.c_str(), text.c_str());
    }
}

void Application::SaveScreenshot() {
    std::string error = options.screenshot + ": the picture could not be read back";
    if (capture.taken && SavePng(options.screenshot, capture.width, capture.height, capture.rgba, &error)) {
        PostQuitMessage(kExitQuit);
        return;
    }
    std::fprintf(stderr, "reflect-refract: cannot save the screenshot %s\n", error.c_str());
    PostQuitMessage(kExitStartFailed);
}

gfx::HRESULT Application::CreateEnvironment() {
    return Box().Create(renderer.device);
}

gfx::HRESULT Application::CreateBoxVertexBuffer() {
    return Box().CreateBoxVertexBuffer(renderer.device);
}

gfx::HRESULT Application::CreateBoxIndexBuffer() {
    return Box().CreateBoxIndexBuffer(renderer.device);
}

void Application::DrawEnvironmentBox() {
    Box().Draw(renderer.device, vertexDeclaration);
}

void Application::ReleaseEnvironment() {
    Box().Release();
}

gfx::HRESULT Application::CreateEffect() {
    // Watch mode shows no box: the compiler's text goes to stderr and its
    // first error to the HUD, until a good compile.
    std::string failure;
    gfx::HRESULT result = CreateEffectObjects(renderer.device, vertexDeclaration, effect, technique,
                                              EffectPath(), !options.watch, &failure);
    if (options.watch && !failure.empty()) effectAlert = FirstErrorLine(failure);
    return result;
}

void Application::BindEffectParameters() {
    UploadEffectParameters(effect, environmentMap, renderer.world, renderer.view,
                           renderer.projection, renderer.camera.position, reflectionFactor);
}

void Application::RenderFrame() {
    Frame().RenderFrame();
}

bool Application::DrawModel() {
    return Frame().DrawModel();
}

void Application::DrawHud() {
    DrawHudLines(renderer, textBuffer, sizeof textBuffer, framesPerSecond);
}

void Application::UpdateFrameRate() {
    theFrameRateCounter.Update(framesPerSecond);
}
