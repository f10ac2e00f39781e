#include "app/viewer_panel.h"

#include <imgui.h>

#include <algorithm>
#include <new>

#include "platform/files.h"

namespace {

// Client coordinates as the two signed 16-bit halves of lParam.
float PointX(LPARAM value) { return float(int16_t(LOWORD(static_cast<uintptr_t>(value)))); }
float PointY(LPARAM value) { return float(int16_t(HIWORD(static_cast<uintptr_t>(value)))); }

// The longest frame ImGui is told of: a stall (a file loading, a debugger)
// does not make its animations jump.
constexpr float kMaxFrameSeconds = 0.25f;

// ImGui allocates through operator new like the rest of the program, so
// that whatever counts the program's allocations counts ImGui's too.
void* PanelAlloc(size_t size, void*) { return ::operator new(size, std::nothrow); }
void PanelFree(void* memory, void*) { ::operator delete(memory); }

void MapKeys(ImGuiIO& io) {
    const struct {
        ImGuiKey key;
        UINT virtualKey;
    } keys[] = {
        {ImGuiKey_Tab, VK_TAB},
        {ImGuiKey_LeftArrow, VK_LEFT},
        {ImGuiKey_RightArrow, VK_RIGHT},
        {ImGuiKey_UpArrow, VK_UP},
        {ImGuiKey_DownArrow, VK_DOWN},
        {ImGuiKey_Home, VK_HOME},
        {ImGuiKey_End, VK_END},
        {ImGuiKey_Delete, VK_DELETE},
        {ImGuiKey_Backspace, VK_BACK},
        {ImGuiKey_Space, VK_SPACE},
        {ImGuiKey_Enter, VK_RETURN},
        {ImGuiKey_Escape, VK_ESCAPE},
        {ImGuiKey_A, 'A'},
        {ImGuiKey_C, 'C'},
        {ImGuiKey_V, 'V'},
        {ImGuiKey_X, 'X'},
        {ImGuiKey_Y, 'Y'},
        {ImGuiKey_Z, 'Z'},
    };
    for (const auto& k : keys) io.KeyMap[k.key] = int(k.virtualKey);
}

}  // namespace

void ViewerPanel::Create() {
    if (context) return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetAllocatorFunctions(PanelAlloc, PanelFree);
    context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing written to the working folder
    io.LogFilename = nullptr;
    io.BackendRendererName = "reflect-refract device";
    io.BackendPlatformName = "reflect-refract window";
    // The renderer draws with a base vertex per command: lists of any size.
    io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
    MapKeys(io);
    ImGui::StyleColorsDark();
    if (previous) ImGui::SetCurrentContext(previous);
}

void ViewerPanel::ScaleForDpi(unsigned dpi) {
    if (!context) return;
    const float scale = std::clamp(static_cast<float>(dpi) / 96.0f, 1.0f, 4.0f);
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(context);
    ImGuiStyle style;
    ImGui::StyleColorsDark(&style);
    style.ScaleAllSizes(scale);
    ImGui::GetStyle() = style;
    // The atlas stays at its size: the text is drawn larger from it.
    ImGui::GetIO().FontGlobalScale = scale;
    ImGui::SetCurrentContext(previous);
}

void ViewerPanel::Destroy() {
    renderer.Release();
    if (!context) return;
    ImGui::DestroyContext(context);
    context = nullptr;
}

bool ViewerPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == kPanelToggleKey) {
        visible = !visible;
        // What was held while the panel changed is let go: it saw no release.
        if (context) {
            ImGui::SetCurrentContext(context);
            ImGuiIO& io = ImGui::GetIO();
            std::fill(std::begin(io.MouseDown), std::end(io.MouseDown), false);
            std::fill(std::begin(io.KeysDown), std::end(io.KeysDown), false);
            io.KeyShift = io.KeyCtrl = io.KeyAlt = false;
            pressedSinceFrame = releaseAfterFrame = 0;
        }
        return true;
    }
    if (!visible || !context) return false;
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    auto button = [&](int index, bool down) {
        const uint32_t bit = 1u << index;
        if (down) {
            pressedSinceFrame |= bit;
            releaseAfterFrame &= ~bit;
            io.MouseDown[index] = true;
        } else if (pressedSinceFrame & bit) {
            releaseAfterFrame |= bit;  // the next frame sees the press first
        } else {
            io.MouseDown[index] = false;
        }
        io.MousePos = ImVec2(PointX(lParam), PointY(lParam));
        // A release reaches the program too: a drag it began ends wherever.
        return down && io.WantCaptureMouse;
    };
    switch (message) {
    case WM_MOUSEMOVE:
        io.MousePos = ImVec2(PointX(lParam), PointY(lParam));
        return io.WantCaptureMouse;
    case WM_LBUTTONDOWN: return button(0, true);
    case WM_LBUTTONUP: return button(0, false);
    case WM_RBUTTONDOWN: return button(1, true);
    case WM_RBUTTONUP: return button(1, false);
    case WM_MBUTTONDOWN: return button(2, true);
    case WM_MBUTTONUP: return button(2, false);
    case WM_MOUSEWHEEL:
        io.MouseWheel += float(int16_t(HIWORD(static_cast<uintptr_t>(wParam)))) / WHEEL_DELTA;
        return io.WantCaptureMouse;
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const bool down = message == WM_KEYDOWN;
        if (wParam < std::size(io.KeysDown)) io.KeysDown[wParam] = down;
        if (wParam == VK_SHIFT) io.KeyShift = down;
        if (wParam == VK_CONTROL) io.KeyCtrl = down;
        if (wParam == VK_MENU) io.KeyAlt = down;
        // A release reaches the program too, so no key it saw go down stays down.
        return down && io.WantCaptureKeyboard;
    }
    case WM_CHAR:
        if (wParam > 0 && wParam < 0x10000) io.AddInputCharacter(unsigned(wParam));
        return io.WantCaptureKeyboard;
    default: return false;
    }
}

const ImDrawData* ViewerPanel::BuildFrame(int32_t clientWidth, int32_t clientHeight, float seconds,
                                          const PanelTargets& targets) {
    if (!context) Create();
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(float(std::max(clientWidth, 1)), float(std::max(clientHeight, 1)));
    io.DeltaTime = std::clamp(seconds, 1e-4f, kMaxFrameSeconds);
    // Without a renderer the atlas is built here, and only once.
    if (!io.Fonts->IsBuilt()) io.Fonts->Build();
    ImGui::NewFrame();
    // The presses are seen; the releases that came with them go now.
    for (int i = 0; i < 3; ++i)
        if (releaseAfterFrame & (1u << i)) io.MouseDown[i] = false;
    pressedSinceFrame = releaseAfterFrame = 0;
    // At the right edge, clear of the HUD's lines on the left.
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x - 10, 10), ImGuiCond_FirstUseEver,
                            ImVec2(1, 0));
    ImGui::SetNextWindowSize(ImVec2(330, 560), ImGuiCond_FirstUseEver);
    if (ImGui::Begin("Viewer (F1 hides)")) {
        if (ImGui::CollapsingHeader("Clips", ImGuiTreeNodeFlags_DefaultOpen)) PanelClips(targets);
        if (ImGui::CollapsingHeader("Camera")) PanelCamera(targets);
        if (ImGui::CollapsingHeader("Display", ImGuiTreeNodeFlags_DefaultOpen))
            PanelDisplay(targets);
        if (ImGui::CollapsingHeader("Information")) PanelInformation(targets, &sections);
    }
    ImGui::End();
    ImGui::Render();
    return ImGui::GetDrawData();
}

void ViewerPanel::DrawFrame(gfx::Device* device, uint32_t backBufferWidth,
                            uint32_t backBufferHeight, const std::string& baseFolder,
                            int32_t clientWidth, int32_t clientHeight, const PanelTargets& targets,
                            const ReportSink& report) {
    if (!visible || !device || rendererFailed) return;
    if (!context) Create();
    ImGui::SetCurrentContext(context);
    if (!renderer.device) {
        std::string error;
        const std::string effectPath = PathIn(baseFolder, kPanelEffectPath);
        if (!renderer.Create(device, backBufferWidth, backBufferHeight, effectPath.c_str(),
                             ImGui::GetIO().Fonts, &error)) {
            renderer.Release();
            rendererFailed = true;
            report.Note(("the viewer panel cannot be shown: " + error).c_str());
            return;
        }
    }
    // The back buffer may have been made anew at another size.
    renderer.backBufferWidth = backBufferWidth;
    renderer.backBufferHeight = backBufferHeight;
    const auto now = std::chrono::steady_clock::now();
    const float seconds =
        framed ? std::chrono::duration<float>(now - lastFrame).count() : 1.0f / 60.0f;
    lastFrame = now;
    framed = true;
    renderer.Draw(BuildFrame(clientWidth, clientHeight, seconds, targets));
}
