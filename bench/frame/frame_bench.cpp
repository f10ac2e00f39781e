// The program's frame at 800 × 600 on the OpenGL device (llvmpipe under Xvfb
// here): frames per second of the real RenderFrame, then the same frame cut
// into its parts, each timed up to a glFinish so that the GPU's share lands
// in the part that caused it.
//
// Usage: frame_bench [FRAMES]   (it reads the build's run folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/application.h"
#include "bench_scene.h"
#include "model/skinned_model.h"
#include "platform/gfx/devices/devices.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/sdl/sdl_window_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Where the parts of the program's own frame end, each timed up to a
// glFinish. After the sky, the skinning alone: the pose of the last step,
// skinned into the buffer again.
struct PartTimes {
    gfx::Device* device;
    ModelMesh* mesh;
    Clock::time_point prepared, sky, skinned, model, hud, presented;
};

void Reached(void* context, FramePart part) {
    PartTimes& times = *static_cast<PartTimes*>(context);
    if (part == FramePart::Cleared || part == FramePart::Counted) return;
    gfx::gl::Finish(times.device);
    Clock::time_point now = Clock::now();
    switch (part) {
    case FramePart::Prepared: times.prepared = now; break;
    case FramePart::SkyDrawn:
        times.sky = now;
        times.mesh->SkinMesh();
        gfx::gl::Finish(times.device);
        times.skinned = Clock::now();
        break;
    case FramePart::ModelDrawn: times.model = now; break;
    case FramePart::HudDrawn: times.hud = now; break;
    case FramePart::Presented: times.presented = now; break;
    default: break;
    }
}

// Handles what the window system sends, as the message loop would.
void PumpMessages(Application& app) {
    while (PeekMessageA(&app.message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessageA(&app.message, nullptr, 0, 0)) return;
        TranslateMessage(&app.message);
        DispatchMessageA(&app.message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    if (!UseSdlWindowBackend()) {
        std::fprintf(stderr, "frame_bench: no window system (is DISPLAY set?)\n");
        return 1;
    }
    // The program's start-up, step by step.
    Application& app = GetApplication();
    app.services.createDirect3D = gfx::devices::CreateOpenGl;
    if (!StartBenchScene(app, "frame_bench", true)) return 1;
    gfx::Device* device = app.renderer.device;

    for (int i = 0; i < 30; ++i) {
        PumpMessages(app);
        app.RenderFrame();
    }

    // Whole frames, back to back, as the message loop draws them.
    gfx::gl::Finish(device);
    Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        PumpMessages(app);
        app.RenderFrame();
    }
    gfx::gl::Finish(device);
    double total = Milliseconds(start, Clock::now());

    // The same frame in parts.
    std::vector<double> clear, sky, skinning, model, hud, present;
    ModelMesh& mesh = app.scene.model->meshes[0];
    int endFrame = app.scene.model->clips[0].frameCount;
    PartTimes times{device, &mesh, {}, {}, {}, {}, {}, {}};
    const FrameTiming timing{&times, Reached};
    for (int i = 0; i < frames; ++i) {
        PumpMessages(app);
        Clock::time_point t0 = Clock::now();
        FrameRenderer frame = app.Frame();
        frame.timing = &timing;
        frame.RenderFrame();
        clear.push_back(Milliseconds(t0, times.prepared));
        sky.push_back(Milliseconds(times.prepared, times.sky));
        skinning.push_back(Milliseconds(times.sky, times.skinned));
        // DrawModel skins once more before it draws: take that share out.
        model.push_back(std::max(0.0, Milliseconds(times.skinned, times.model) -
                                          Milliseconds(times.sky, times.skinned)));
        hud.push_back(Milliseconds(times.model, times.hud));
        present.push_back(Milliseconds(times.hud, times.presented));
    }

    std::printf("frames: %d at 800 x 600, %d triangles, %d keyframes in clip 0\n", frames,
                mesh.triangleCount, endFrame);
    std::printf("whole frame (RenderFrame, back to back): %.3f ms, %.1f frames per second\n",
                total / frames, 1000.0 * frames / total);
    std::printf("parts (median ms, each up to glFinish):\n");
    std::printf("  clear + parameters   %8.3f\n", Median(clear));
    std::printf("  sky box (pass 0)     %8.3f\n", Median(sky));
    std::printf("  skinning (CPU+copy)  %8.3f\n", Median(skinning));
    std::printf("  model draw (pass 1)  %8.3f\n", Median(model));
    std::printf("  HUD                  %8.3f\n", Median(hud));
    std::printf("  present              %8.3f\n", Median(present));
    return 0;
}
