// The one Application: the main window, the message loop and the window's
// messages, the Renderer, the Scene and the settings the input changes.
//
// A global object with static storage (GetApplication): it exists before
// main runs and its teardown releases everything after main returns. What
// it works with besides (where messages go, where files are read from, the
// platform's stop request) it is handed by the composition in main.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/hud_alerts.h"
#include "app/panel_messages.h"
#include "app/viewer_panel.h"
#include "app/startup_failure.h"
#include "platform/gfx/core/device.h"
#include "platform/report/report_sink.h"
#include "platform/watch/file_watch.h"
#include "platform/window/core/window_api.h"
#include "render/orbit_camera.h"
#include "render/renderer.h"
#include "scene/display_resources.h"
#include "scene/frame_capture.h"
#include "scene/frame_renderer.h"
#include "scene/playback_control.h"
#include "scene/scene.h"
#include "scene/scene_files.h"
#include "scene/view_options.h"

inline constexpr char kWindowClassName[] = "[Tesnal] Reflection/Refraction for HLSL";
inline constexpr int32_t kHudFontHeight = 20;
inline constexpr int32_t kFixedClientWidth = 800;
inline constexpr int32_t kFixedClientHeight = 600;

// What the composition hands the Application for a run.
struct AppServices {
    // Every note and box of the scene's loading at start-up.
    ReportSink report;
    // Every note of a change after start-up (a drop, a save in watch mode):
    // nobody is waiting for a box then, a file that does not load is shown
    // in red on the HUD instead.
    ReportSink liveReport;
    // The start-up failure's note and box.
    ReportSink failureReport;
    // Where the program's own files were looked for and which folder holds
    // them; baseFolder is the one they are read from (empty: the working folder).
    DataFolderChoice dataFolder;
    std::string baseFolder;
    // True once the person has asked the program to stop (SIGINT, SIGTERM)
    // while it was still starting: the model files still to load are then
    // skipped. Null: never.
    bool (*stopRequested)() = nullptr;
    // The device layer the program runs on (the program: OpenGL; tests:
    // the recording device).
    gfx::Direct3DFactory createDirect3D = nullptr;
    // Print the device's live objects once the scene is built and when the
    // loop ends (RR_REPORT_LIVE_OBJECTS=1: the soak script compares them).
    bool reportLiveObjects = false;
};

struct Application {
    WNDCLASSA windowClass{};
    HWND window = nullptr;
    MSG message{};
    bool dragging = false;
    int32_t lastMouseX = 0;
    int32_t lastMouseY = 0;
    int32_t clientWidth = 800;
    int32_t clientHeight = 600;
    bool active = true;
    Renderer renderer;
    // Everything drawn that was read from files; released before the device.
    Scene scene;
    // Fill mode, reflection factor, time step, the clip that plays.
    FrameSettings settings;
    HudState hud;

    // What the command line asked for, and what the composition handed in.
    ProgramOptions options;
    AppServices services;
    // How far W/S/A/D/R/F move the camera (suited to a character given on
    // the command line, FrameCharacter).
    float moveUnits = 10.0f;
    // Watch mode: the scene's files (ListSceneFiles), watched in this order.
    FileWatch sceneWatch;
    std::vector<SceneFileEntry> watchedFiles;
    // The red lines under the HUD: files that did not load.
    HudAlerts alerts;
    // Frames drawn so far (in screenshot mode, the last one's picture).
    int framesDrawn = 0;
    FrameCapture capture;
    // The effect came from the cache, so no compiler process was started
    // ahead; watch mode starts one after the first frame.
    bool sparePending = false;

    // --- Viewer display (settings.view) and the orbit camera (view_camera.cpp) ---
    // What the view options other than the defaults draw with; made on first
    // use, released before the device.
    DisplayResources display;
    // Drives renderer.camera while settings.view.orbit is on.
    OrbitCamera orbit;
    bool orbitDragging = false;  // left button held
    bool panDragging = false;    // middle button held
    // Home: the model in view again, in the camera mode in use.
    void Reframe();
    // Orbit mode's mouse (left drag orbits, wheel zooms, middle drag pans);
    // true when msg was one of them.
    bool OnOrbitMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    // The model's world box as drawn now (its facing included); false
    // without a model or triangles.
    bool ModelBox(Vector3* low, Vector3* high) const;
    // --- end of viewer display ---
    // --- The viewer panel (F1) and the state its widgets change ---
    ViewerPanel panel;
    bool panelInScreenshot = false;  // a --screenshot run draws it too (--panel)
    // Every note of this run, newest first; services.report and
    // services.liveReport reach stderr through these tees.
    PanelMessages messages;
    MessageTee reportTee;
    MessageTee liveReportTee;
    FrameOverlay panelOverlay;
    // What the panel's widgets are bound to.
    PanelTargets PanelBindings();
    // --- end of the viewer panel ---
    // --- Playback, the panel's keys, F12 and vsync (issue 23) ---
    // How the clip moves; Frame() asks it for each frame's step, by the
    // window layer's clock (lastFrameTick, once frameClockStarted).
    PlaybackControl playback;
    uint32_t lastFrameTick = 0;
    bool frameClockStarted = false;
    // Present waits for the display's refresh; the device is told when it
    // differs from vsyncApplied (at the next frame).
    bool vsync = false;
    bool vsyncApplied = false;
    // F12 presses not yet saved: each frame takes one picture into
    // keyCapture and saves it.
    int keyScreenshotsPending = 0;
    FrameCapture keyCapture;
    // Seconds since the last call (0 at the first) by the window layer's ticks.
    double SecondsSinceLastFrame();
    // P, ',' and '.': play or pause, one keyframe back or forward. False
    // for any other key.
    bool OnPlaybackKey(WPARAM virtualKey);
    // Saves keyCapture as a dated PNG (key_screenshot.h) and says where, or
    // why not, to the live report.
    void SaveKeyScreenshot();
    // The window with the panel: resizable, the back buffer and projection
    // its client size, F11 fullscreen; without the panel the fixed window
    // (kFixedClientWidth × kFixedClientHeight) and back buffer come back.
    // ApplyWindowMode brings the window and the device in line, each frame.
    bool windowResizable = false;
    bool fullscreen = false;
    void ApplyWindowMode();
    // --- end of playback ---

    Application() = default;
    // Teardown: the scene (model, effect, declaration, box buffers and cube
    // map), then font, device and Direct3D object.
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up, the message loop; the exit code: kExitQuit after a quit,
    // kExitStartFailed (reported by ReportStartupFailure) when the device or
    // the environment could not be made, or the clip asked for was not
    // loaded, or the screenshot could not be saved.
    int Run(HINSTANCE instance, int showCommand, const ProgramOptions& programOptions,
            const AppServices& appServices);
    // Registers the class and creates the hidden main window.
    bool CreateAppWindow(HINSTANCE instance);
    // Gives the window the outer size whose client area is clientWidth × clientHeight.
    void SetClientSize();
    // Sizes and shows the window, and makes the HUD cyan: start-up once the
    // environment is there.
    void ShowAppWindow(int showCommand);
    bool OnSize(int32_t width, int32_t height);

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(HWND hwnd, WPARAM virtualKey, LPARAM lParam);
    LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);

    // The next frame as the loop draws it (benchmarks add their timing).
    FrameRenderer Frame();
    void RenderFrame();

    // Puts the camera in front of the loaded character, all of it in view,
    // and sizes the move step to it.
    void FrameCharacter();
    // Whether the loop draws frames now (active, or a watch or screenshot run).
    bool DrawsWhileIdle() const;
    // WM_PAINT: the window's picture was lost. Presents the last frame again
    // when the loop is not drawing (inactive); once, nothing is drawn.
    void OnPaint();
    // WM_DROPFILES: the files of one drop, opened together (OpenFiles).
    void OnDropFiles(HDROP drop);
    // Files dropped on the window (scene_updates.cpp): a reference replaces
    // the model (with the clips of the same drop), a clip is added and
    // plays, a .dds replaces the cube map, a .fx the effect. A file that does
    // not load changes nothing and is shown in red.
    void OpenFiles(const std::vector<std::string>& paths);
    // Watch mode: watches every file of the scene (again, after a change of
    // its files); loads again each file saved since the last call.
    void WatchSceneFiles();
    void ReloadChangedFiles();
    // Each failure in red on the HUD (and the cube map's reason on stderr).
    void ShowFailures(const std::vector<SceneFileFailure>& failures);
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
    // Reports the failure (facts read before anything is released), releases
    // everything and returns kExitStartFailed.
    int FailStartup(const StartupFacts& facts);
    StartupFacts DeviceFailureFacts() const;
};

Application& GetApplication();

// The window procedure registered with the class: forwards to GetApplication().WindowProc.
LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
