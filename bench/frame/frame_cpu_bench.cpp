// The program's own processor time per frame: the real RenderFrame on the
// null device (the shared front's checks and state, no GL work behind it)
// in a window of the scripted window backend (no display). What remains is
// what this program does each frame whatever the GPU: blending and skinning,
// effect parameters, HUD layout, the device's bookkeeping. On a GPU fast
// enough to keep up, this is the frame rate's ceiling.
//
// Usage: frame_cpu_bench [FRAMES]   (it reads the build's run folder)
// Prints the median and the spread of the whole frame over several rounds,
// and the same frame cut into its parts (the program's own frame, timed at
// the points it reports to a FrameTiming).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/application.h"
#include "bench_scene.h"
#include "model/skinned_model.h"
#include "platform/gfx/devices/devices.h"
#include "platform/gfx/null/null_backend.h"
#include "support/scripted/scripted_window_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

// When the frame reached each of its parts.
struct PartTimes {
    Clock::time_point at[int(FramePart::Counted) + 1];
};

void Reached(void* context, FramePart part) {
    static_cast<PartTimes*>(context)->at[int(part)] = Clock::now();
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(100, std::atoi(argv[1])) : 2000;
    ScriptedWindowBackend windows;
    Application& app = GetApplication();
    app.services.createDirect3D = gfx::devices::CreateNull;
    if (!StartBenchScene(app, "frame_cpu_bench", false)) return 1;
    gfx::Device* device = app.renderer.device;
    for (int i = 0; i < 50; ++i) app.RenderFrame();

    // Whole frames in rounds of 100; the median round is the figure.
    std::vector<double> rounds;
    const uint64_t drawsBefore = gfx::null::GetDrawCallCount(device);
    for (int done = 0; done < frames; done += 100) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < 100; ++i) app.RenderFrame();
        rounds.push_back(Microseconds(start, Clock::now()) / 100.0);
    }
    const double draws =
        double(gfx::null::GetDrawCallCount(device) - drawsBefore) / (rounds.size() * 100.0);

    // The same frame in parts, timed where RenderFrame reaches them.
    std::vector<double> clear, parameters, sky, model, hud, present;
    PartTimes times;
    const FrameTiming timing{&times, Reached};
    auto at = [&](FramePart part) { return times.at[int(part)]; };
    for (int i = 0; i < frames; ++i) {
        Clock::time_point start = Clock::now();
        FrameRenderer frame = app.Frame();
        frame.timing = &timing;
        frame.RenderFrame();
        clear.push_back(Microseconds(start, at(FramePart::Cleared)));
        parameters.push_back(Microseconds(at(FramePart::Cleared), at(FramePart::Prepared)));
        sky.push_back(Microseconds(at(FramePart::Prepared), at(FramePart::SkyDrawn)));
        model.push_back(Microseconds(at(FramePart::SkyDrawn), at(FramePart::ModelDrawn)));
        hud.push_back(Microseconds(at(FramePart::ModelDrawn), at(FramePart::HudDrawn)));
        present.push_back(Microseconds(at(FramePart::HudDrawn), at(FramePart::Counted)));
    }

    const SkinnedModel* character = app.scene.model;
    int triangles = 0;
    for (int m = 0; m < character->meshCount; ++m) triangles += character->meshes[m].triangleCount;
    std::sort(rounds.begin(), rounds.end());
    std::printf(
        "null device: %d frames at 800 x 600, %d meshes, %d triangles, %.0f draws reaching the "
        "backend per frame\n",
        int(rounds.size()) * 100, character->meshCount, triangles, draws);
    std::printf(
        "our CPU time per frame (RenderFrame, median of %zu rounds of 100): %.1f us "
        "(rounds from %.1f to %.1f)\n",
        rounds.size(), Median(rounds), rounds.front(), rounds.back());
    std::printf("parts (median us):\n");
    std::printf("  clear + begin scene          %8.1f\n", Median(clear));
    std::printf("  effect parameters + Begin    %8.1f\n", Median(parameters));
    std::printf("  sky box (pass 0)             %8.1f\n", Median(sky));
    std::printf("  model: blend, skin, draws    %8.1f\n", Median(model));
    std::printf("  HUD layout + end scene       %8.1f\n", Median(hud));
    std::printf("  present + frame rate         %8.1f\n", Median(present));

    // The viewer panel: rounds of 100 frames hidden and shown in turn (its
    // widgets built, laid out and drawn through the device each frame).
    app.services.baseFolder = RR_RUN_DIR;
    app.panel.visible = true;
    for (int i = 0; i < 60; ++i) app.RenderFrame();  // its objects made, ImGui settled
    if (!app.panel.renderer.effect) {
        std::fprintf(stderr, "frame_cpu_bench: the viewer panel was not drawn\n");
        return 1;
    }
    std::vector<double> hidden, shown;
    for (int done = 0; done < frames; done += 100) {
        for (bool visible : {false, true}) {
            app.panel.visible = visible;
            Clock::time_point start = Clock::now();
            for (int i = 0; i < 100; ++i) app.RenderFrame();
            (visible ? shown : hidden).push_back(Microseconds(start, Clock::now()) / 100.0);
        }
    }
    const double hiddenMedian = Median(hidden), shownMedian = Median(shown);
    std::printf(
        "viewer panel (medians of %zu interleaved rounds of 100): hidden %.1f us, shown %.1f us, "
        "the panel %.1f us per frame\n",
        hidden.size(), hiddenMedian, shownMedian, shownMedian - hiddenMedian);
    return 0;
}
