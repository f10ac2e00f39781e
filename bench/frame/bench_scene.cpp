#include "bench_scene.h"

#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "app/program_scene.h"
#include "model/skinned_model.h"

namespace {

struct Start {
    Application* app;
    const char* benchName;
    bool show;
};

void ShowWindowIfAsked(void* context) {
    Start* start = static_cast<Start*>(context);
    if (start->show) {
        start->app->ShowAppWindow(SW_SHOWDEFAULT);
    } else {
        start->app->renderer.SetTextColor(0.0f, 1.0f, 1.0f, 1.0f);
    }
}

void PrintNote(void* context, const char* text) {
    std::fprintf(stderr, "%s: %s\n", static_cast<Start*>(context)->benchName, text);
}

}  // namespace

bool StartBenchScene(Application& app, const char* benchName, bool show) {
    Start start{&app, benchName, show};
    app.CreateAppWindow(nullptr);
    if (gfx::Failed(app.renderer.InitDevice(app.services.createDirect3D, app.window, 800, 600,
                                            kHudFontHeight))) {
        std::fprintf(stderr, "%s: no device\n", benchName);
        return false;
    }
    ReportSink report;
    report.context = &start;
    report.note = PrintNote;
    SceneBuildHooks hooks;
    hooks.context = &start;
    hooks.environmentReady = ShowWindowIfAsked;
    SceneBuildResult built;
    if (!BuildScene(DescribeScene(app.options, RR_RUN_DIR), app.renderer.device, report, hooks,
                    &app.scene, &built)) {
        std::fprintf(stderr, "%s: no environment (run the build first)\n", benchName);
        return false;
    }
    if (!app.scene.effect || app.scene.model->meshCount == 0 || app.scene.model->clipCount == 0) {
        std::fprintf(stderr, "%s: effect or model missing\n", benchName);
        return false;
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}
