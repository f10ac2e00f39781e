// Prints how long the shipped effect takes to compile.
//
// A start-up compile is the first one in a process: glslang then also builds
// its built-in symbol tables. Each cold run is therefore a fresh process (this
// program started again with --once); the median of those is the start-up
// figure. The program compiles in the compiler process: --once-isolated asks
// one at once (its start and glslang's tables are waited for), and
// --once-isolated-ready starts it first and compiles after other work, as
// the program does. The cold in-process figure is the compile without the
// process. They are run in turn, so the machine's load falls on all alike.
// Warm figures (same process, tables built) and the split between the stages
// follow. With an X display the full device path (GL program linking
// included) is measured as well.
//
// With the start-up cache (effect_cache.h): --once-cold-cache compiles
// through an empty cache folder as the program's first start does (compiler
// process started first, the entry written), --once-warm-cache FOLDER as a
// second start does (the entry checked before the window is made, then read:
// no compiler process).
//
// bench/effect_compile/compare.sh runs this program's --once-isolated in turn
// with another build's --once: today's compile against an earlier one.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/gfx/effect/compile_child.h"
#include "platform/gfx/effect/effect.h"
#include "platform/gfx/effect/effect_cache.h"
#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/effect_source.h"
#include "platform/gfx/effect/hlsl_compiler.h"
#include "support/gl_harness.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the program does between starting the compiler process and compiling
// (window, GL device, box and cube map) takes longer than this on llvmpipe.
constexpr auto kOtherWork = std::chrono::milliseconds(300);

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

double CompileOnce(const std::string& text) {
    gfx::effect::CompiledEffect effect;
    std::string log;
    Clock::time_point start = Clock::now();
    if (!gfx::effect::CompileEffect(text, "ReflectionOrRefraction.fx", &effect, &log)) {
        std::fprintf(stderr, "compile failed:\n%s", log.c_str());
        std::exit(1);
    }
    return MillisecondsSince(start);
}

double CompileIsolatedOnce(const std::string& text) {
    gfx::effect::CompiledEffect effect;
    std::string log;
    Clock::time_point start = Clock::now();
    if (!gfx::effect::CompileEffectIsolated(text, "ReflectionOrRefraction.fx", &effect, &log)) {
        std::fprintf(stderr, "compile failed:\n%s", log.c_str());
        std::exit(1);
    }
    return MillisecondsSince(start);
}

double CompileCachedOnce(const std::string& text, const char* path, const std::string& folder) {
    gfx::effect::CompiledEffect effect;
    std::string log;
    Clock::time_point start = Clock::now();
    if (!gfx::effect::CompileEffectCached(text, path, &effect, &log, folder)) {
        std::fprintf(stderr, "compile failed:\n%s", log.c_str());
        std::exit(1);
    }
    return MillisecondsSince(start);
}

std::string TemporaryFolder() {
    char name[] = "/tmp/effect_compile_cache_XXXXXX";
    return mkdtemp(name) ? name : "";
}

// The device path: D3DXCreateEffectFromFileA on a GL device, in ms; < 0 when
// no GL device can be made here.
double CreateOnDevice(const char* path) {
    rrtest::GlHarness gl;
    if (!gl.Open(64, 64, /*debug=*/false, {&gfx::effect::MakeEffect, nullptr}).empty()) return -1;
    gfx::Ref<gfx::Effect> effect;
    Clock::time_point start = Clock::now();
    if (gfx::Failed(gfx::D3DXCreateEffectFromFileA(gl.device.get(), path, nullptr, nullptr, 1,
                                                   nullptr, effect.Receive(), nullptr)))
        return -1;
    return MillisecondsSince(start);
}

// Runs this program again with an argument; returns the figure it prints.
double RunChild(const char* self, const char* mode) {
    std::string command = std::string("'") + self + "' " + mode;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    double value = -1;
    if (std::fscanf(pipe, "%lf", &value) != 1) value = -1;
    pclose(pipe);
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = RR_SHIPPED_EFFECT;
    const std::string text = ReadFile(path);
    if (text.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    if (argc > 1 && std::strcmp(argv[1], "--once") == 0) {
        std::printf("%.3f\n", CompileOnce(text));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--once-isolated") == 0) {
        // Asked at once: the compiler process's start and tables are waited for.
        std::printf("%.3f\n", CompileIsolatedOnce(text));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--once-isolated-ready") == 0) {
        // As the program does: the process is started first thing, and the
        // window and the device take longer to make than kOtherWork.
        gfx::effect::StartCompilerProcess();
        std::this_thread::sleep_for(kOtherWork);
        std::printf("%.3f\n", CompileIsolatedOnce(text));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--once-cold-cache") == 0) {
        // A first start: nothing cached, the process started first.
        const std::string folder = TemporaryFolder();
        gfx::effect::StartCompilerProcess();
        std::this_thread::sleep_for(kOtherWork);
        std::printf("%.3f\n", CompileCachedOnce(text, path, folder + "/effects"));
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--once-warm-cache") == 0) {
        // A second start: the check before the window, then the read.
        Clock::time_point start = Clock::now();
        if (!gfx::effect::EffectFileIsCached(path, argv[2])) {
            std::fprintf(stderr, "the effect is not in %s\n", argv[2]);
            return 1;
        }
        double check = MillisecondsSince(start);
        std::printf("%.3f\n", check + CompileCachedOnce(text, path, argv[2]));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--first") == 0) {
        // The first glslang compile of a process alone: its built-in tables.
        gfx::effect::EffectSource source;
        std::string error;
        gfx::effect::ReadEffectSource(text, path, &source, &error);
        std::vector<uint32_t> spirv;
        Clock::time_point start = Clock::now();
        gfx::effect::CompileHlsl(source.hlsl, path, gfx::effect::Stage::Vertex,
                                 source.techniques.at(0).passes.at(0).vertexShader.entry, &spirv,
                                 &error);
        std::printf("%.3f\n", MillisecondsSince(start));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--device") == 0) {
        // "--device nocache": without the start-up cache, as before it was;
        // "--device empty": a first start, the cache folder empty.
        if (argc > 2 && std::strcmp(argv[2], "nocache") == 0) setenv("RR_NO_CACHE", "1", 1);
        const std::string empty =
            argc > 2 && std::strcmp(argv[2], "empty") == 0 ? TemporaryFolder() : std::string();
        if (!empty.empty()) setenv("XDG_CACHE_HOME", empty.c_str(), 1);
        std::printf("%.3f\n", CreateOnDevice(path));
        std::error_code ignored;
        if (!empty.empty()) std::filesystem::remove_all(empty, ignored);
        return 0;
    }
    const int runs = 15;
    const std::string warmFolder = TemporaryFolder() + "/effects";
    CompileCachedOnce(text, path, warmFolder);
    const std::string warmMode = "--once-warm-cache '" + warmFolder + "'";
    std::vector<double> cold, isolated, ready, first, device, warm, warmIsolated;
    std::vector<double> coldCache, warmCache;
    for (int i = 0; i < runs; ++i) {
        cold.push_back(RunChild(argv[0], "--once"));
        isolated.push_back(RunChild(argv[0], "--once-isolated"));
        ready.push_back(RunChild(argv[0], "--once-isolated-ready"));
        coldCache.push_back(RunChild(argv[0], "--once-cold-cache"));
        warmCache.push_back(RunChild(argv[0], warmMode.c_str()));
    }
    std::error_code ignored;
    std::filesystem::remove_all(warmFolder.substr(0, warmFolder.rfind('/')), ignored);
    for (int i = 0; i < runs; ++i) first.push_back(RunChild(argv[0], "--first"));
    // The device path without the start-up cache, with an empty one (a
    // first start: compiled, then written) and a warm one of its own; Mesa's
    // shader cache is one warm folder for all three.
    const std::string cacheHome = TemporaryFolder();
    const std::string mesaCache = TemporaryFolder();
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    setenv("MESA_SHADER_CACHE_DIR", mesaCache.c_str(), 1);
    RunChild(argv[0], "--device");
    std::vector<double> deviceEmpty, deviceCached;
    for (int i = 0; i < runs; ++i) {
        double figure = RunChild(argv[0], "--device nocache");
        if (figure >= 0) device.push_back(figure);
        figure = RunChild(argv[0], "--device empty");
        if (figure >= 0) deviceEmpty.push_back(figure);
        figure = RunChild(argv[0], "--device");
        if (figure >= 0) deviceCached.push_back(figure);
    }
    std::filesystem::remove_all(cacheHome, ignored);
    std::filesystem::remove_all(mesaCache, ignored);
    CompileOnce(text);
    for (int i = 0; i < runs; ++i) {
        warm.push_back(CompileOnce(text));
        // A save comes a while after the last: the next process is ready.
        std::this_thread::sleep_for(kOtherWork);
        warmIsolated.push_back(CompileIsolatedOnce(text));
    }

    // Where a warm compile goes: the four glslang compiles against the rest.
    gfx::effect::EffectSource source;
    std::string error;
    Clock::time_point start = Clock::now();
    gfx::effect::ReadEffectSource(text, path, &source, &error);
    double blocks = MillisecondsSince(start);
    double glslang = 0;
    for (const auto& pass : source.techniques[0].passes) {
        for (auto [stage, shader] : {std::pair(gfx::effect::Stage::Vertex, pass.vertexShader),
                                     std::pair(gfx::effect::Stage::Pixel, pass.pixelShader)}) {
            std::vector<uint32_t> spirv;
            std::string log;
            start = Clock::now();
            gfx::effect::CompileHlsl(source.hlsl, path, stage, shader.entry, &spirv, &log);
            glslang += MillisecondsSince(start);
        }
    }

    std::printf(
        "effect compile, start-up, in this process (fresh process, median of %d): %8.2f ms\n", runs,
        Median(cold));
    std::printf(
        "effect compile, start-up, compiler process asked at once (median of %d): %8.2f ms\n", runs,
        Median(isolated));
    std::printf("  starting the compiler process costs %.2f ms (ratio %.3f)\n",
                Median(isolated) - Median(cold), Median(isolated) / Median(cold));
    std::printf(
        "effect compile, start-up, compiler process started first (median of %d): %8.2f ms\n", runs,
        Median(ready));
    std::printf("  ratio to this process: %.3f\n", Median(ready) / Median(cold));
    std::printf("  of which the first glslang compile of the process (median):  %8.2f ms\n",
                Median(first));
    std::printf(
        "effect compile, start-up, empty cache, process started first (median of %d): %8.2f ms\n",
        runs, Median(coldCache));
    std::printf(
        "effect compile, start-up, from the cache, no process (median of %d):         %8.2f ms\n",
        runs, Median(warmCache));
    std::printf("  ratio cached / empty cache: %.3f\n", Median(warmCache) / Median(coldCache));
    if (!device.empty()) {
        std::printf(
            "effect creation on the GL device, start-up, no start-up cache (median of "
            "%zu): %8.2f ms\n",
            device.size(), Median(device));
        std::printf(
            "effect creation on the GL device, start-up, empty cache (median of "
            "%zu): %8.2f ms\n",
            deviceEmpty.size(), Median(deviceEmpty));
        std::printf(
            "effect creation on the GL device, start-up, from the cache (median of "
            "%zu): %8.2f ms\n",
            deviceCached.size(), Median(deviceCached));
    } else {
        std::printf("effect creation on the GL device: no display, not measured\n");
    }
    std::printf("effect compile, warm, in this process (median of %d):                  %8.2f ms\n",
                runs, Median(warm));
    std::printf(
        "effect compile again (--watch), compiler process ready (median of %d):  %8.2f ms\n", runs,
        Median(warmIsolated));
    std::printf("  of which block reading %.3f ms, glslang (4 entry points) %.2f ms\n", blocks,
                glslang);
    return 0;
}
