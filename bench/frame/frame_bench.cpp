// The program's frame at 800 × 600 on the OpenGL device (llvmpipe under Xvfb
// here): frames per second of the real RenderFrame, then the same frame cut
// into its parts, each timed up to a glFinish so that the GPU's share lands
// in the part that caused it.
//
// Usage: frame_bench [FRAMES]   (run where the program's assets are: it
// changes into the build's run folder itself)
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
#include "platform/gfx/gl/gl_backend.h"
#include "platform/window/sdl/sdl_window_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
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
    if (chdir(RR_RUN_DIR) != 0) {
        std::fprintf(stderr, "frame_bench: cannot enter %s\n", RR_RUN_DIR);
        return 1;
    }
    if (!UseSdlWindowBackend()) {
        std::fprintf(stderr, "frame_bench: no window system (is DISPLAY set?)\n");
        return 1;
    }
    // The program's start-up, step by step.
    Application& app = GetApplication();
    app.createDirect3D = gfx::devices::CreateOpenGl;
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
    ModelMesh& mesh = app.model->meshes[0];
    int endFrame = app.model->clips[0].frameCount;
    for (int i = 0; i < frames; ++i) {
        PumpMessages(app);
        Clock::time_point t0 = Clock::now();
        device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        device->BeginScene();
        app.BindEffectParameters();
        app.effect->SetTechnique(app.technique);
        uint32_t passes = 1;
        app.effect->Begin(&passes, 0);
        gfx::gl::Finish(device);
        Clock::time_point t1 = Clock::now();
        device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_FALSE);
        app.effect->BeginPass(0);
        app.DrawEnvironmentBox();
        app.effect->EndPass();
        gfx::gl::Finish(device);
        Clock::time_point t2 = Clock::now();
        // Skinning alone: the pose of the last step, skinned into the buffer again.
        mesh.SkinMesh();
        gfx::gl::Finish(device);
        Clock::time_point t3 = Clock::now();
        device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CW);
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
        app.effect->BeginPass(1);
        app.DrawModel();
        app.effect->EndPass();
        app.effect->End();
        gfx::gl::Finish(device);
        Clock::time_point t4 = Clock::now();
        app.DrawHud();
        device->EndScene();
        gfx::gl::Finish(device);
        Clock::time_point t5 = Clock::now();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::gl::Finish(device);
        Clock::time_point t6 = Clock::now();
        app.UpdateFrameRate();
        clear.push_back(Milliseconds(t0, t1));
        sky.push_back(Milliseconds(t1, t2));
        skinning.push_back(Milliseconds(t2, t3));
        // DrawModel skins once more before it draws: take that share out.
        model.push_back(std::max(0.0, Milliseconds(t3, t4) - Milliseconds(t2, t3)));
        hud.push_back(Milliseconds(t4, t5));
        present.push_back(Milliseconds(t5, t6));
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
