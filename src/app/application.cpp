#include "app/application.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include "model/skinned_model.h"
#include "render/hud.h"
#include "scene/effect_setup.h"
#include "scene/environment_box.h"
#include "scene/frame_renderer.h"

namespace {

Application theApplication;
FrameRateCounter theFrameRateCounter;

constexpr uintptr_t kIconResource = 101;

constexpr char kReferencePath[] = "Model\\SMD\\Pudo_Red\\Ref_Red.smd";
constexpr const char* kAnimationPaths[] = {
    "Model\\SMD\\Pudo_Red\\Ani_Red(Attack).smd",  // clip 0, the one that plays
    "Model\\SMD\\Pudo_Red\\Ani_Red(Run).smd",
    "Model\\SMD\\Pudo_Red\\Ani_Red(Stun).smd",
};

std::string WorkingDirectory() {
    char path[4096];
    return getcwd(path, sizeof path) ? std::string(path) : std::string("?");
}

// The one line a person who started the program sees when it cannot start:
// nothing else appears, the exit code stays 0.
void ReportStartupFailure(const std::string& what) {
    std::fprintf(stderr, "reflect-refract: cannot start: %s\n", what.c_str());
}

std::string DescribeDeviceFailure(const Renderer& renderer) {
    if (!renderer.direct3D) return "no graphics device layer is available (OpenGL 4.5 is needed)";
    if (!renderer.device) return "the graphics device could not be created for the window";
    return "the HUD font \"Arial\" could not be created";
}

std::string DescribeEnvironmentFailure(const Application& app) {
    if (!app.boxVertexBuffer || !app.boxIndexBuffer)
        return "the environment box buffers could not be created";
    return std::string("cannot load the cube map \"") + kEnvironmentMapPath +
           "\" (paths are relative to the working directory " + WorkingDirectory() +
           "; start the program in its run folder)";
}

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

    if (gfx::Failed(renderer.InitDevice(window, clientWidth, clientHeight, kHudFontHeight))) {
        ReportStartupFailure(DescribeDeviceFailure(renderer));
        ReleaseAll();
        return static_cast<int>(message.wParam);
    }
    if (gfx::Failed(CreateEnvironment())) {
        ReportStartupFailure(DescribeEnvironmentFailure(*this));
        // The box buffers go before the device that made them.
        ReleaseAll();
        return static_cast<int>(message.wParam);
    }

    SetClientSize();
    ShowWindow(window, showCommand);
    renderer.SetTextColor(0.0f, 1.0f, 1.0f, 1.0f);

    CreateEffect();  // without an effect the frames show the HUD only

    if (!model) {
        model = new (std::nothrow) SkinnedModel();
        if (!model) {
            ReportStartupFailure("out of memory for the model");
            ReleaseAll();
            return static_cast<int>(message.wParam);
        }
    }
    // The loaders report malformed files themselves; the program goes on
    // with whatever was loaded.
    model->LoadReference(renderer.device, kReferencePath);
    for (const char* path : kAnimationPaths) model->LoadAnimation(path);

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
