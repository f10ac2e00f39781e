// The main window's procedure: the message table, the keyboard commands and
// the right-button mouse look.
#include "app/application.h"
#include "model/skinned_model.h"

namespace {

constexpr float kRollRadians = 0.017453292f;  // one degree
constexpr float kMouseRadiansPerPixel = 0.005f;

constexpr WPARAM kKeyReflection = '1';
constexpr WPARAM kKeyRefraction = '2';
// Playback, with the panel shown; the screenshot either way.
constexpr WPARAM kKeyPlayPause = 'P';
constexpr WPARAM kKeyStepBack = VK_OEM_COMMA;
constexpr WPARAM kKeyStepForward = VK_OEM_PERIOD;
constexpr WPARAM kKeyScreenshot = VK_F1 + 11;  // F12
constexpr WPARAM kKeyFullscreen = VK_F1 + 10;  // F11, with the panel
// Presses beyond these, before the frames that save them, are dropped.
constexpr int kMaxPendingScreenshots = 8;

// Bit 30 of a key message: the key was already down (an auto-repeat).
bool IsRepeat(LPARAM lParam) { return (static_cast<uint32_t>(lParam) & (1u << 30)) != 0; }

// Client coordinates as the two unsigned 16-bit halves of lParam.
int32_t LowHalf(LPARAM value) {
    return static_cast<int32_t>(LOWORD(static_cast<uintptr_t>(value)));
}
int32_t HighHalf(LPARAM value) {
    return static_cast<int32_t>(HIWORD(static_cast<uintptr_t>(value)));
}

// Turns the camera by the motion since the last position: horizontal to
// Yaw, then vertical to Pitch, then the view is rebuilt.
void TurnCamera(Application& app, int32_t x, int32_t y) {
    int32_t dx = x - app.lastMouseX;
    int32_t dy = y - app.lastMouseY;
    app.renderer.camera.Yaw(static_cast<float>(dx) * kMouseRadiansPerPixel);
    app.renderer.camera.Pitch(static_cast<float>(dy) * kMouseRadiansPerPixel);
    app.renderer.UpdateViewMatrix();
}

}  // namespace

LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return GetApplication().WindowProc(hwnd, msg, wParam, lParam);
}

LRESULT Application::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // F1, and while the panel is shown what ImGui wants, go to the panel only.
    if (panel.OnMessage(msg, wParam, lParam)) return 0;
    // --- Viewer display: the orbit camera's mouse, only in orbit mode (view_camera.cpp) ---
    if (settings.view.orbit && OnOrbitMouse(msg, wParam, lParam)) return 0;
    // --- end of viewer display ---
    switch (msg) {
    case WM_CREATE:
    case WM_ACTIVATEAPP:
    case WM_INITMENU:
    case WM_MOUSEWHEEL: return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: OnSize(LowHalf(lParam), HighHalf(lParam)); return 0;
    case WM_ACTIVATE: active = LOWORD(wParam) != WA_INACTIVE; return 0;
    case WM_KEYDOWN: OnKeyDown(hwnd, wParam, lParam); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_COMMAND: OnCommand(hwnd, wParam, lParam); return 0;
    case WM_MOUSEMOVE: {
        int32_t x = LowHalf(lParam), y = HighHalf(lParam);
        if (dragging) TurnCamera(*this, x, y);
        lastMouseX = x;
        lastMouseY = y;
        return 0;
    }
    case WM_RBUTTONDOWN:
        // A press during a drag keeps the last position: no jump.
        if (!dragging) {
            lastMouseX = LowHalf(lParam);
            lastMouseY = HighHalf(lParam);
        }
        dragging = true;
        return 0;
    case WM_RBUTTONUP:
        // The last position stays; a release outside the window is never
        // seen, so such a drag goes on until a press and release inside.
        if (dragging) {
            dragging = false;
            TurnCamera(*this, LowHalf(lParam), HighHalf(lParam));
        }
        return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT Application::OnKeyDown(HWND, WPARAM virtualKey, LPARAM lParam) {
    Camera& camera = renderer.camera;
    // Holding F12 or P does it once; held , and . go on stepping.
    if (virtualKey == kKeyScreenshot) {
        if (!IsRepeat(lParam) && keyScreenshotsPending < kMaxPendingScreenshots)
            ++keyScreenshotsPending;
        return 0;
    }
    if (virtualKey == kKeyFullscreen && panel.visible) {
        if (!IsRepeat(lParam)) {
            fullscreen = !fullscreen;
            SetWindowFullscreen(window, fullscreen ? 1 : 0);
        }
        return 0;
    }
    if (panel.visible && !(virtualKey == kKeyPlayPause && IsRepeat(lParam)) &&
        OnPlaybackKey(virtualKey))
        return 0;
    switch (virtualKey) {
    case VK_ESCAPE: PostQuitMessage(0); return 0;
    case VK_SPACE:
        settings.fillMode =
            settings.fillMode == gfx::D3DFILL_SOLID ? gfx::D3DFILL_WIREFRAME : gfx::D3DFILL_SOLID;
        if (renderer.device)
            renderer.device->SetRenderState(gfx::D3DRS_FILLMODE,
                                            static_cast<uint32_t>(settings.fillMode));
        return 0;
    case kKeyReflection: settings.reflectionFactor = 2.0f; return 0;
    case kKeyRefraction: settings.reflectionFactor = 0.5f; return 0;
    // --- Viewer display: Home re-frames the model, only with the panel shown ---
    case VK_HOME:
        if (panel.visible) Reframe();
        return 0;
    // --- end of viewer display ---
    case 'W': camera.Walk(moveUnits); break;
    case 'S': camera.Walk(-moveUnits); break;
    case 'D': camera.Strafe(moveUnits); break;
    case 'A': camera.Strafe(-moveUnits); break;
    case 'R': camera.Fly(moveUnits); break;
    case 'F': camera.Fly(-moveUnits); break;
    case 'Q': camera.Roll(kRollRadians); break;
    case 'E': camera.Roll(-kRollRadians); break;
    default: return 0;  // every other key, the numeric keypad included, does nothing
    }
    renderer.UpdateViewMatrix();
    return 0;
}

LRESULT Application::OnCommand(HWND, WPARAM, LPARAM) {
    return 0;  // the window has no menu or controls
}

bool Application::OnPlaybackKey(WPARAM virtualKey) {
    SkinnedModel* model = scene.model;
    const int clip = settings.clipIndex;
    switch (virtualKey) {
    case kKeyPlayPause:
        // A clip that stopped on its last keyframe plays again from its first.
        if (!playback.loop && model && clip >= 0 && clip < model->clipCount &&
            model->clips[clip].frameCount > 1 &&
            ClipPosition(*model, clip) >= float(model->clips[clip].frameCount - 1)) {
            SeekClip(model, clip, 0.0f);
            playback.playing = true;
            return true;
        }
        playback.playing = !playback.playing;
        return true;
    case kKeyStepBack:
    case kKeyStepForward:
        // A step shows that keyframe and stays there: playback pauses.
        playback.playing = false;
        StepClip(model, clip, virtualKey == kKeyStepBack ? -1 : 1, playback.loop);
        return true;
    default: return false;
    }
}
