// What the look at the Wayland compositor adds to a start in a Wayland
// session: the probe (connect, one round trip, disconnect) beside SDL's own
// start of its Wayland video driver, which follows it. Needs a compositor
// with an input seat in WAYLAND_DISPLAY. Run interleaved and repeated:
//   build/bench/wayland_probe/wayland_probe_bench --benchmark_repetitions=9
//     --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <string>

#include "platform/window/sdl/wayland_probe.h"

namespace {

void WaylandProbe(benchmark::State& state) {
    for (auto _ : state) {
        std::string problem = ProbeWaylandCompositor();
        if (!problem.empty()) {
            state.SkipWithError(problem.c_str());
            break;
        }
    }
}
BENCHMARK(WaylandProbe)->Unit(benchmark::kMillisecond);

void SdlWaylandVideoStart(benchmark::State& state) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "wayland", SDL_HINT_OVERRIDE);
    for (auto _ : state) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            state.SkipWithError(SDL_GetError());
            break;
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}
BENCHMARK(SdlWaylandVideoStart)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
