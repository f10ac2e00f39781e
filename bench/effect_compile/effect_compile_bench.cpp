// Prints how long the shipped effect takes to compile.
//
// A start-up compile is the first one in a process: glslang then also builds
// its built-in symbol tables. Each cold run is therefore a fresh process (this
// program started again with --once); the median of those is the start-up
// figure. Warm figures (same process, tables built) and the split between
// the stages follow. With an X display the full device path (GL program
// linking included) is measured as well.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/gfx/effect/effect.h"
#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/effect_source.h"
#include "platform/gfx/effect/hlsl_compiler.h"
#include "support/gl_harness.h"

namespace {

using Clock = std::chrono::steady_clock;

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
        std::printf("%.3f\n", CreateOnDevice(path));
        return 0;
    }
    const int runs = 7;
    std::vector<double> cold, first, device, warm;
    for (int i = 0; i < runs; ++i) cold.push_back(RunChild(argv[0], "--once"));
    for (int i = 0; i < runs; ++i) first.push_back(RunChild(argv[0], "--first"));
    for (int i = 0; i < runs; ++i) {
        double figure = RunChild(argv[0], "--device");
        if (figure >= 0) device.push_back(figure);
    }
    CompileOnce(text);
    for (int i = 0; i < runs; ++i) warm.push_back(CompileOnce(text));

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

    std::printf("effect compile, start-up (fresh process, median of %d): %8.2f ms\n", runs,
                Median(cold));
    std::printf("  of which the first glslang compile of the process (median):  %8.2f ms\n",
                Median(first));
    if (!device.empty()) {
        std::printf("effect creation on the GL device, start-up (median of %zu): %8.2f ms\n",
                    device.size(), Median(device));
    } else {
        std::printf("effect creation on the GL device: no display, not measured\n");
    }
    std::printf("effect compile, warm (median of %d):                 %8.2f ms\n", runs,
                Median(warm));
    std::printf("  of which block reading %.3f ms, glslang (4 entry points) %.2f ms\n", blocks,
                glslang);
    return 0;
}
