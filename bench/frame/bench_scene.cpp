#include "bench_scene.h"

#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "app/model_files.h"
#include "model/skinned_model.h"

bool StartBenchScene(Application& app, const char* benchName, bool show) {
    app.CreateAppWindow(nullptr);
    if (gfx::Failed(app.renderer.InitDevice(app.createDirect3D, app.window, 800, 600,
                                            kHudFontHeight)) ||
        gfx::Failed(app.CreateEnvironment())) {
        std::fprintf(stderr, "%s: no device or no environment (run the build first)\n", benchName);
        return false;
    }
    if (show) {
        app.SetClientSize();
        ShowWindow(app.window, SW_SHOWDEFAULT);
    }
    app.renderer.SetTextColor(0.0f, 1.0f, 1.0f, 1.0f);
    app.CreateEffect();
    app.model = new SkinnedModel();
    LoadModelFiles(*app.model, app.renderer.device, app.options);
    if (!app.effect || app.model->meshCount == 0 || app.model->clipCount == 0) {
        std::fprintf(stderr, "%s: effect or model missing\n", benchName);
        return false;
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}
