// The one Application: the main window, the message loop, the settings the
// input changes, the scene's device objects, the Renderer and the model.
//
// A global object with static storage (GetApplication): it exists before
// main runs and its teardown releases everything after main returns.
#pragma once

#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "platform/gfx/core/device.h"
#include "platform/watch/file_watch.h"
#include "platform/window/core/window_api.h"
#include "render/frame_rate_counter.h"
#include "render/renderer.h"
#include "scene/frame_capture.h"

struct SkinnedModel;
struct EnvironmentBox;
struct FrameRenderer;

inline constexpr char kWindowClassName[] = "[Tesnal] Reflection/Refraction for HLSL";
inline constexpr int32_t kHudFontHeight = 20;
inline constexpr int kTextBufferSize = 128;

struct Application {
    WNDCLASSA windowClass{};
    HWND window = nullptr;
    MSG message{};
    int32_t fillMode = 3;  // 3 solid, 2 wireframe
    bool dragging = false;
    int32_t lastMouseX = 0;
    int32_t lastMouseY = 0;
    int32_t clientWidth = 800;
    int32_t clientHeight = 600;
    bool active = true;
    // The device layer the program runs on (main: OpenGL; tests: recording).
    gfx::Direct3DFactory createDirect3D = nullptr;
    char textBuffer[kTextBufferSize] = {};
    float framesPerSecond = 0.0f;
    Renderer renderer;
    gfx::VertexBuffer* boxVertexBuffer = nullptr;        // owned
    gfx::IndexBuffer* boxIndexBuffer = nullptr;          // owned
    gfx::Effect* effect = nullptr;                       // owned
    gfx::EffectHandle technique = nullptr;               // belongs to effect
    gfx::VertexDeclaration* vertexDeclaration = nullptr; // owned
    gfx::CubeTexture* environmentMap = nullptr;          // owned
    float reflectionFactor = 2.0f;  // 2.0 reflection, 0.5 refraction
    SkinnedModel* model = nullptr;  // owned
    float animationTimeStep = 0.01f;

    // What the command line asked for; the defaults are the program's own
    // character, cube map and effect, as always.
    ProgramOptions options;
    // How far W/S/A/D/R/F move the camera (suited to a character given on
    // the command line, FrameCharacter).
    float moveUnits = 10.0f;
    // Watch mode: the effect file's watch, and the first error line of its
    // last failed compile (empty after a good one), shown in red on the HUD.
    FileWatch effectWatch;
    std::string effectAlert;
    // Screenshot mode: frames drawn so far, and the last one's picture.
    int framesDrawn = 0;
    FrameCapture capture;

    Application() = default;
    // Teardown: model, effect, declaration, box buffers and cube map, then
    // font, device and Direct3D object.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up, the message loop; the exit code: kExitQuit after a quit,
    // kExitStartFailed (reported by ReportStartupFailure) when the device or
    // the environment could not be made, or the clip asked for was not
    // loaded, or the screenshot could not be saved.
    int Run(HINSTANCE instance, int showCommand);
    // Registers the class and creates the hidden main window.
    bool CreateAppWindow(HINSTANCE instance);
    // Gives the window the outer size whose client area is clientWidth × clientHeight.
    void SetClientSize();
    bool OnSize(int32_t width, int32_t height);

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(HWND hwnd, WPARAM virtualKey, LPARAM lParam);
    LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);

    // The scene's share (environment_box, effect_setup, frame_renderer).
    gfx::HRESULT CreateEnvironment();
    gfx::HRESULT CreateBoxVertexBuffer();
    gfx::HRESULT CreateBoxIndexBuffer();
    void DrawEnvironmentBox();
    void ReleaseEnvironment();
    gfx::HRESULT CreateEffect();
    void BindEffectParameters();
    void RenderFrame();
    bool DrawModel();
    void DrawHud();
    void UpdateFrameRate();

    // The files in use: those of the options, else the fixed ones.
    const char* EffectPath() const;
    const char* EnvironmentMapPath() const;
    // Puts the camera in front of the loaded character, all of it in view,
    // and sizes the move step to it.
    void FrameCharacter();
    // Watch mode: starts watching the effect file; compiles it again when it
    // has changed (a good compile takes over, a failed one sets effectAlert).
    void WatchEffect();
    void ReloadEffectIfChanged();
    // Screenshot mode: saves the captured frame and posts the quit message
    // (exit code kExitQuit, or kExitStartFailed when it cannot be saved).
    void SaveScreenshot();

    // The teardown's releases in its order; every pointer cleared. Also the
    // start-up failure path, so nothing made on the device outlives it.
    void ReleaseAll();
    // A clean slate for the next Run (tests): ReleaseAll, then the
    // construction defaults.
    void Reset();

private:
    EnvironmentBox Box();
    FrameRenderer Frame();
};

Application& GetApplication();
// The once-per-process frame-rate state that UpdateFrameRate advances.
FrameRateCounter& GetFrameRateCounter();

// The window procedure registered with the class: forwards to GetApplication().WindowProc.
LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
