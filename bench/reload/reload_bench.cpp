// Loading our character with its three clips into the running scene (what a
// drop of the four files, or a save of the reference in watch mode with its
// clips, costs), beside what a restart loads before its first frame: the
// whole scene built anew (box, cube map, effect, model) and moved into
// place. Both on the OpenGL device of a shown window (llvmpipe under Xvfb
// here), interleaved in pairs whose order alternates, a frame drawn between
// runs; medians and their ratio.
//
// Usage: reload_bench [PAIRS]   (it reads the build's run folder; PAIRS ≥ 5, default 15)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/data_paths.h"
#include "app/program_scene.h"
#include "bench_scene.h"
#include "model/skinned_model.h"
#include "platform/gfx/devices/devices.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/sdl/sdl_window_backend.h"
#include "scene/scene_changes.h"

namespace {

using Clock = std::chrono::steady_clock;

void PrintNote(void*, const char* text) { std::fprintf(stderr, "reload_bench: %s\n", text); }

// Milliseconds of one change, up to a glFinish (textures and buffers are on
// the device then), and whether it worked.
template <typename Change>
double Time(gfx::Device* device, Change change, bool* worked) {
    gfx::gl::Finish(device);
    Clock::time_point start = Clock::now();
    *worked = change();
    gfx::gl::Finish(device);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    int pairs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 15;
    if (!UseSdlWindowBackend()) {
        std::fprintf(stderr, "reload_bench: no window system (is DISPLAY set?)\n");
        return 1;
    }
    Application& app = GetApplication();
    app.services.createDirect3D = gfx::devices::CreateOpenGl;
    if (!StartBenchScene(app, "reload_bench", true)) return 1;
    gfx::Device* device = app.renderer.device;
    ReportSink report;
    report.note = PrintNote;
    const std::vector<std::string> clips(std::begin(kAnimationPaths), std::end(kAnimationPaths));
    const SceneDescription restart = DescribeScene(app.options, RR_RUN_DIR);

    auto reload = [&] {
        std::vector<SceneFileFailure> failures;
        return ReplaceModel(app.scene, device, kReferencePath, clips, report, &failures) &&
               failures.empty();
    };
    auto rebuild = [&] {
        Scene fresh;
        SceneBuildResult built;
        bool worked =
            BuildScene(restart, device, report, {}, &fresh, &built) && built.failures.empty();
        app.scene = std::move(fresh);
        return worked;
    };
    for (int i = 0; i < 3; ++i) app.RenderFrame();
    const uint32_t objects = device->GetLiveObjectCount();
    std::vector<double> reloads, restarts;
    for (int pair = 0; pair < pairs; ++pair) {
        for (int turn = 0; turn < 2; ++turn) {
            bool reloading = (pair + turn) % 2 == 0;
            bool worked = false;
            double ms = reloading ? Time(device, reload, &worked) : Time(device, rebuild, &worked);
            if (!worked) {
                std::fprintf(stderr, "reload_bench: a load failed (run the build first)\n");
                return 1;
            }
            (reloading ? reloads : restarts).push_back(ms);
            app.RenderFrame();
        }
    }
    const double reloadMs = Median(reloads), restartMs = Median(restarts);
    std::printf("reload_bench: %d pairs, medians\n", pairs);
    std::printf("  our character and its three clips into the running scene  %8.2f ms\n", reloadMs);
    std::printf("  the whole scene built anew, as a restart loads it         %8.2f ms\n",
                restartMs);
    std::printf("  ratio restart / reload                                    %8.1f\n",
                restartMs / reloadMs);
    std::printf("  live device objects before %u, after %u\n", objects,
                device->GetLiveObjectCount());
    app.ReleaseAll();
    return 0;
}
