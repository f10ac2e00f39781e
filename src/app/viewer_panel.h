// The viewer panel: Dear ImGui's context (one, made and destroyed here), the
// panel's visibility (F1), the window's messages fed to ImGui while it is
// shown, and one frame of its widgets drawn through PanelRenderer. Hidden, it
// takes no message but F1 and makes no device call, so the program's keys
// and pictures are those of a run without it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "app/panel_sections.h"
#include "platform/report/report_sink.h"
#include "platform/window/core/win_types.h"
#include "render/panel_renderer.h"

struct ImGuiContext;

inline constexpr UINT kPanelToggleKey = VK_F1;

struct ViewerPanel {
    ImGuiContext* context = nullptr;  // owned: Create, Destroy
    PanelRenderer renderer;           // its device objects, made on the first shown frame
    bool visible = false;
    // The renderer could not be made (its reason noted once): nothing is drawn.
    bool rendererFailed = false;
    std::chrono::steady_clock::time_point lastFrame{};
    bool framed = false;  // a frame was drawn (lastFrame holds its time)
    PanelSectionState sections;
    // Mouse buttons (bit i: ImGui's button i) pressed since the last frame,
    // and released before it saw them: ImGui reads button states once a
    // frame, so a click made between two frames is held down for one.
    uint32_t pressedSinceFrame = 0;
    uint32_t releaseAfterFrame = 0;

    ViewerPanel() = default;
    ViewerPanel(const ViewerPanel&) = delete;
    ViewerPanel& operator=(const ViewerPanel&) = delete;
    ~ViewerPanel() { Destroy(); }

    // The ImGui context, with no file of its own (no imgui.ini, no log) and
    // the keys the window layer sends mapped; no device work.
    void Create();
    // The renderer's objects released, then the context destroyed.
    void Destroy();
    // Sizes for a display of `dpi` dots per inch (96: as made): the style's
    // sizes and the text scaled by dpi / 96, at least 1 and at most 4.
    void ScaleForDpi(unsigned dpi);

    // A window message. F1 (key down) toggles the panel and is taken. While
    // shown, mouse, wheel, key and character messages go to ImGui, and the
    // result says whether ImGui wants them (the program then leaves them
    // alone); a key or button release always reaches the program as well. Hidden:
    // false, ImGui untouched.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // One shown frame over the back buffer: the device objects on first use
    // (the effect kPanelEffectPath read from baseFolder; a failure is noted
    // to report once), ImGui's
    // frame for a client area clientWidth × clientHeight, the widgets bound
    // to targets, and the draw. Nothing when hidden.
    void DrawFrame(gfx::Device* device, uint32_t backBufferWidth, uint32_t backBufferHeight,
                   const std::string& baseFolder, int32_t clientWidth, int32_t clientHeight,
                   const PanelTargets& targets, const ReportSink& report);
    // ImGui's frame and widgets without a device (the panel's tests and the
    // renderer's draw share it): the draw data of the frame.
    const struct ImDrawData* BuildFrame(int32_t clientWidth, int32_t clientHeight, float seconds,
                                        const PanelTargets& targets);
};
