#include "app/application.h"

#include <memory>
#include <new>
#include <string>

#include "app/data_paths.h"
#include "app/exit_codes.h"
#include "app/startup_failure.h"
#include "app/stop_request.h"
#include "model/skinned_model.h"
#include "render/hud.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"
#include "scene/frame_renderer.h"

namespace {

Application theApplication;
FrameRateCounter theFrameRateCounter;

constexpr uintptr_t kIconResource = 101;

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
    if (!StopRequestedDuringStartup()) model->LoadReference(renderer.device, kReferencePath);
    for (const char* path : kAnimationPaths)
        if (!StopRequestedDuringStartup()) model->LoadAnimation(path);

    // Every waiting message first; then one frame if active, else block.
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, nullptr, 0, 0)) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (active) {
            RenderFrame();
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
    return EnvironmentBox{boxVertexBuffer, boxIndexBuffer, environmentMap};
}

FrameRenderer Application::Frame() {
    return FrameRenderer{renderer,         effect,           technique,
                         vertexDeclaration, Box(),           model,
                         fillMode,          animationTimeStep, reflectionFactor,
                         textBuffer,        sizeof textBuffer, framesPerSecond,
                         theFrameRateCounter};
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
    return CreateEffectObjects(renderer.device, vertexDeclaration, effect, technique);
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
