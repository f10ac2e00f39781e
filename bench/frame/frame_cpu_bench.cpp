// The program's own processor time per frame: the real RenderFrame on the
// null device (the shared front's checks and state, no GL work behind it)
// in a window of the scripted window backend (no display). What remains is
// what this program does each frame whatever the GPU: blending and skinning,
// effect parameters, HUD layout, the device's bookkeeping. On a GPU fast
// enough to keep up, this is the frame rate's ceiling.
//
// Usage: frame_cpu_bench [FRAMES]   (it changes into the build's run folder)
// Prints the median and the spread of the whole frame over several rounds,
// and the same frame cut into its parts.
#include <unistd.h>

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
#include "platform/window/scripted/scripted_window_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::micro>(to - from).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(100, std::atoi(argv[1])) : 2000;
    if (chdir(RR_RUN_DIR) != 0) {
        std::fprintf(stderr, "frame_cpu_bench: cannot enter %s\n", RR_RUN_DIR);
        return 1;
    }
    ScriptedWindowBackend windows;
    Application& app = GetApplication();
    app.createDirect3D = gfx::devices::CreateNull;
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
    const double draws = double(gfx::null::GetDrawCallCount(device) - drawsBefore) / (rounds.size() * 100.0);

    // The same frame in parts, as RenderFrame runs them.
    std::vector<double> clear, parameters, sky, model, hud, present;
    for (int i = 0; i < frames; ++i) {
        Clock::time_point t0 = Clock::now();
        device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        device->BeginScene();
        Clock::time_point t1 = Clock::now();
        app.BindEffectParameters();
        app.effect->SetTechnique(app.technique);
        uint32_t passes = 1;
        app.effect->Begin(&passes, 0);
        Clock::time_point t2 = Clock::now();
        device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_FALSE);
        app.effect->BeginPass(0);
        app.DrawEnvironmentBox();
        app.effect->EndPass();
        Clock::time_point t3 = Clock::now();
        device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CW);
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
        app.effect->BeginPass(1);
        app.DrawModel();
        app.effect->EndPass();
        app.effect->End();
        Clock::time_point t4 = Clock::now();
        app.DrawHud();
        device->EndScene();
        Clock::time_point t5 = Clock::now();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        app.UpdateFrameRate();
        Clock::time_point t6 = Clock::now();
        clear.push_back(Microseconds(t0, t1));
        parameters.push_back(Microseconds(t1, t2));
        sky.push_back(Microseconds(t2, t3));
        model.push_back(Microseconds(t3, t4));
        hud.push_back(Microseconds(t4, t5));
        present.push_back(Microseconds(t5, t6));
    }

    int triangles = 0;
    for (int m = 0; m < app.model->meshCount; ++m) triangles += app.model->meshes[m].triangleCount;
    std::sort(rounds.begin(), rounds.end());
    std::printf("null device: %d frames at 800 x 600, %d meshes, %d triangles, %.0f device draw calls per frame\n",
                int(rounds.size()) * 100, app.model->meshCount, triangles, draws);
    std::printf("our CPU time per frame (RenderFrame, median of %zu rounds of 100): %.1f us "
                "(rounds from %.1f to %.1f)\n",
                rounds.size(), Median(rounds), rounds.front(), rounds.back());
    std::printf("parts (median us):\n");
    std::printf("  clear + begin scene          %8.1f\n", Median(clear));
    std::printf("  effect parameters + Begin    %8.1f\n", Median(parameters));
    std::printf("  sky box (pass 0)             %8.1f\n", Median(sky));
    std::printf("  model: blend, skin, draws    %8.1f\n", Median(model));
    std::printf("  HUD layout + end scene       %8.1f\n", Median(hud));
    std::printf("  present + frame rate         %8.1f\n", Median(present));
    return 0;
}
