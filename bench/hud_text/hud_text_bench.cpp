// Cost of the HUD's text per frame: the seven lines drawn with the 20-pixel
// bold font into an 800 × 600 back buffer, as the renderer draws them
// (rectangle right edge = byte length × 20, cyan). Run under Xvfb:
//   DISPLAY=:N LIBGL_ALWAYS_SOFTWARE=1 hud_text_bench
// HUD_TEXT_PICTURE=name.png also saves one drawn frame (under failed-pictures/).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/font/text_builder.h"
#include "platform/gfx/gl/gl_backend.h"
#include "support/gl_harness.h"
#include "support/pictures.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFontHeight = 20;
constexpr uint32_t kCyan = 0xFF00FFFF;

// The five fixed lines, in code page 949.
const char* const kFixedLines[5] = {
    // "1 : 반사, 2 : 굴절"
    "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd",
    // "[Camera이동] W/A/S/D [Roll] Q/E [↑↓] R/F"
    "[Camera\xc0\xcc\xb5\xbf] W/A/S/D [Roll] Q/E [\xa1\xe8\xa1\xe9] R/F",
    // "[Camera회전] 마우스 R 버튼"
    "[Camera\xc8\xb8\xc0\xfc] \xb8\xb6\xbf\xec\xbd\xba R \xb9\xf6\xc6\xb0",
    // "[Light이동] [X이동]NUM8/NUM5 [Y이동]NUM4/NUM6 [Z이동]NUM7/NUM9"
    // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one HUD line in two pieces
    "[Light\xc0\xcc\xb5\xbf] [X\xc0\xcc\xb5\xbf]NUM8/NUM5 [Y\xc0\xcc\xb5\xbf]NUM4/NUM6 "
    "[Z\xc0\xcc\xb5\xbf]NUM7/NUM9",
    "[WIRE/SOLID] SPACE BAR",
};

// Formats and places the seven lines as the HUD does; draw(text, rect) does
// the drawing.
template <typename Draw>
void HudFrame(float fps, Draw&& draw) {
    char line[128];
    auto drawLine = [&](const char* text, int y) {
        gfx::Rect rect{1, y, static_cast<int32_t>(std::strlen(text)) * kFontHeight,
                       y + kFontHeight};
        draw(text, rect);
    };
    std::snprintf(line, sizeof line, "FPS: %f", fps);
    drawLine(line, 10);
    std::snprintf(line, sizeof line, "[CAMERA]X:%f, Y:%f, Z:%f", 0.0, 100.0, -200.0);
    drawLine(line, 30);
    for (int i = 0; i < 5; ++i) {
        drawLine(kFixedLines[i], 50 + 20 * i);
    }
}

struct GlSetup {
    rrtest::GlHarness harness;
    gfx::Device* device = nullptr;
    gfx::Font* font = nullptr;

    bool Start() {
        const gfx::EffectAndFontMakers fonts{nullptr, &gfx::font::MakeFont};
        if (!harness.Open(kWidth, kHeight, /*debug=*/false, fonts).empty()) return false;
        device = harness.device.get();
        return gfx::Succeeded(gfx::D3DXCreateFontA(device, kFontHeight, 0, gfx::FW_BOLD, 1, 0,
                                                   gfx::DEFAULT_CHARSET, gfx::OUT_DEFAULT_PRECIS,
                                                   gfx::DEFAULT_QUALITY, 0, "Arial", &font));
    }

    void Finish() { gfx::gl::Finish(device); }

    ~GlSetup() { gfx::SafeRelease(font); }
};

GlSetup* gl = nullptr;

void DrawHud(float fps) {
    HudFrame(fps, [](const char* text, gfx::Rect rect) {
        gl->font->DrawTextA(nullptr, text, -1, &rect, 0, kCyan);
    });
}

// Seven DrawTextA calls and a glFinish: CPU work plus llvmpipe's rasterising.
void BM_HudTextFrame(benchmark::State& state) {
    float fps = 0.0f;
    DrawHud(fps);
    gl->Finish();
    for (auto _ : state) {
        fps += 0.37f;
        DrawHud(fps);
        gl->Finish();
    }
    state.SetItemsProcessed(state.iterations() * 7);
}

// Seven DrawTextA calls without waiting for the GPU: what the frame's CPU
// pays (the ring buffer keeps writes from waiting on earlier draws).
void BM_HudTextSubmit(benchmark::State& state) {
    float fps = 0.0f;
    int frames = 0;
    for (auto _ : state) {
        fps += 0.37f;
        DrawHud(fps);
        if (++frames % 64 == 0) {
            // Keep the queue bounded, as presenting a frame would.
            state.PauseTiming();
            gl->Finish();
            state.ResumeTiming();
        }
    }
    gl->Finish();
}

// Decoding, glyph lookup and layout of the seven lines, no GL at all.
void BM_HudTextLayoutOnly(benchmark::State& state) {
    gfx::font::TextBuilder builder;
    std::string error;
    gfx::font::FontRequest request;
    request.height = kFontHeight;
    request.weight = 700;
    request.faceName = "Arial";
    if (!builder.Open(nullptr, request, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    float fps = 0.0f;
    size_t quads = 0;
    for (auto _ : state) {
        fps += 0.37f;
        HudFrame(fps, [&](const char* text, gfx::Rect rect) {
            builder.Build(text, -1, rect, 0);
            quads += builder.Quads().size();
        });
    }
    benchmark::DoNotOptimize(quads);
}

// What a start pays for the HUD's text on the processor, for a new font
// object: the faces chosen and opened (fontconfig, FreeType), then
// BM_HudTextFirstLayout adds the first frame's seven lines, which rasterise
// every glyph they use and find the Korean fallback face. fontconfig's own
// set-up is process-wide and done before the first iteration.
gfx::font::FontRequest HudFontRequest() {
    gfx::font::FontRequest request;
    request.height = kFontHeight;
    request.weight = 700;
    request.faceName = "Arial";
    return request;
}

void BM_HudFontOpen(benchmark::State& state) {
    std::string error;
    for (auto _ : state) {
        gfx::font::TextBuilder builder;
        if (!builder.Open(nullptr, HudFontRequest(), &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(builder.Atlas().Pixels());
    }
}

void BM_HudTextFirstLayout(benchmark::State& state) {
    std::string error;
    size_t quads = 0;
    for (auto _ : state) {
        gfx::font::TextBuilder builder;
        if (!builder.Open(nullptr, HudFontRequest(), &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        HudFrame(59.94f, [&](const char* text, gfx::Rect rect) {
            builder.Build(text, -1, rect, 0);
            quads += builder.Quads().size();
        });
    }
    benchmark::DoNotOptimize(quads);
}

void SavePicture(const char* path) {
    gl->device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
    DrawHud(59.94f);
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
    if (gfx::Succeeded(gl->device->GetBackBufferPixels(&width, &height, &rgba))) {
        std::printf("picture: %s\n",
                    rrtest::SavePicture(path, int(width), int(height), rgba).c_str());
    }
}

}  // namespace

BENCHMARK(BM_HudFontOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HudTextFirstLayout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HudTextLayoutOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HudTextFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HudTextSubmit)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    GlSetup setup;
    if (!setup.Start()) {
        std::fprintf(stderr, "hud_text_bench: needs an X display with OpenGL 4.5 (Xvfb)\n");
        return 0;
    }
    gl = &setup;
    if (const char* path = std::getenv("HUD_TEXT_PICTURE")) {
        SavePicture(path);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gl = nullptr;
    return 0;
}
