// ReadEffectSource on texts of 1 to 16 MiB of several hostile shapes. Time per
// byte that stays flat as the size grows shows linear time; the counter
// peak_heap_per_byte (the largest heap in use during one read, over the
// input's size, counted by this program's operator new) shows the memory
// bound. Run: build/bench/effect_source/effect_source_bench
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/gfx/effect/effect_source.h"

namespace {

size_t inUse = 0;
size_t peak = 0;

}  // namespace

// Not inlined: the compiler would otherwise see memory from operator new
// reach free() and warn, though the pair is this program's own.
[[gnu::noinline]] void* operator new(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    inUse += malloc_usable_size(block);
    if (inUse > peak) peak = inUse;
    return block;
}

[[gnu::noinline]] void operator delete(void* block) noexcept {
    if (!block) return;
    inUse -= malloc_usable_size(block);
    std::free(block);
}

void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }

namespace {

const std::string kPass =
    "pass { VertexShader = compile vs_3_0 V(); PixelShader = compile ps_3_0 P(); }";

// A text of about `size` bytes of the given shape.
std::string Shape(int shape, size_t size) {
    std::string text;
    text.reserve(size + 256);
    switch (shape) {
    case 0:  // one unclosed brace after another
        text.assign(size, '{');
        break;
    case 1:  // ordinary HLSL declarations, then one technique
        while (text.size() < size) text += "float4 value; // note\n";
        text += "technique T { " + kPass + " }\n";
        break;
    case 2:  // 64 techniques, each with a name of size/64 characters
        for (int i = 0; i < 64; ++i) {
            text += "technique " + std::string(size / 64, 'n') + std::to_string(i) + " { " + kPass +
                    " }\n";
        }
        break;
    case 3:  // one technique with a huge annotation
        text = "technique T < ";
        while (text.size() < size) text += "int a = 1; ";
        text += "> { " + kPass + " }\n";
        break;
    case 4:  // a technique whose passes never close, over and over
        while (text.size() < size) text += "{ technique T { pass { FillMode = Solid; } } }\n";
        break;
    }
    return text;
}

const char* const kShapeNames[] = {"braces", "declarations", "long_names", "annotation",
                                   "unclosed"};

void ReadShape(benchmark::State& state) {
    const int shape = int(state.range(0));
    const std::string text = Shape(shape, size_t(state.range(1)) << 20);
    size_t peakOverInput = 0;
    for (auto _ : state) {
        size_t before = inUse;
        peak = inUse;
        gfx::effect::EffectSource source;
        std::string error;
        benchmark::DoNotOptimize(gfx::effect::ReadEffectSource(text, "bench.fx", &source, &error));
        peakOverInput = std::max(peakOverInput, peak - before);
    }
    state.SetLabel(kShapeNames[shape]);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["peak_heap_per_byte"] = double(peakOverInput) / double(text.size());
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int shape = 0; shape < 5; ++shape) {
        for (int mib : {1, 4, 16}) b->Args({shape, mib});
    }
}

}  // namespace

BENCHMARK(ReadShape)->Apply(Sizes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
