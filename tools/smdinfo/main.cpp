// smdinfo REFERENCE.smd [ANIMATION.smd ...] [--frames N]
//
// Loads the reference file, then each animation file in order, into one
// model exactly as the program does (on a recording device, so no display is
// needed), and prints what was loaded as one JSON object; the reference's
// material table, node ids and weight links come from the SMD parser. With
// --frames N it then plays clip 0 for N frames as the program does (with
// no clip, or one without keyframes, it skins the bind pose) and adds mesh
// 0's skinned vertex buffer. Bones are reported as they stand at the end,
// i.e. in the blended pose of the last frame when --frames is given.
//
// Exit status: 0 when every file loaded, 1 when one did not, 2 for bad usage.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "model/skinned_model.h"
#include "model/smd/smd_parser.h"
#include "model_report.h"
#include "platform/files.h"
#include "platform/gfx/recording/recorder.h"
#include "platform/text/cp949.h"

namespace {

constexpr float kAnimationTimeStep = 0.01f;

ReportInput report;

// The loaders' notes go to stderr as "smdinfo: text"; their message boxes
// to stderr as "caption: text" and into the report.
void PrintNote(void*, const char* text) { std::fprintf(stderr, "smdinfo: %s\n", text); }

void RecordMessage(void*, const char* caption, const char* text) {
    ShownMessage message{caption, text};
    std::fprintf(stderr, "%s: %s\n", text::Cp949ToUtf8(message.caption).c_str(),
                 text::Cp949ToUtf8(message.text).c_str());
    report.messages.push_back(std::move(message));
}

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "smdinfo: %s\n", problem);
    std::fprintf(problem ? stderr : stdout,
                 "usage: smdinfo REFERENCE.smd [ANIMATION.smd ...] [--frames N]\n"
                 "Loads the files into one model and prints it as JSON; --frames N (N >= 1)\n"
                 "plays clip 0 for N frames and adds mesh 0's skinned vertices.\n");
    return problem ? 2 : 0;
}

bool ParseCount(const char* text, long* count) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > 100000000) return false;
    *count = value;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> files;
    long frames = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Usage(nullptr);
        if (std::strcmp(argv[i], "--frames") == 0) {
            if (frames != 0) return Usage("--frames given twice");
            if (i + 1 >= argc || !ParseCount(argv[i + 1], &frames))
                return Usage("--frames needs a whole number of at least 1");
            ++i;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Usage((std::string("unknown option ") + argv[i]).c_str());
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) return Usage("no reference file given");

    LoadContext context;  // relative paths from the working folder
    context.report.note = PrintNote;
    context.report.box = RecordMessage;
    gfx::Device* device = gfx::recording::CreateDevice();
    gfx::VertexDeclaration* declaration = nullptr;
    auto model = std::make_unique<SkinnedModel>();

    bool referenceLoaded = model->LoadReference(device, files[0], context);
    report.loaded.push_back(referenceLoaded);
    if (referenceLoaded) report.parsed.push_back(ReadParsedMesh(files[0]));
    for (size_t i = 1; i < files.size(); ++i)
        report.loaded.push_back(model->LoadAnimation(files[i], context));

    if (frames > 0) {
        report.withSkinned = true;
        // The program's vertex layout, so that the device takes the draws.
        static const gfx::VertexElement kSkinVertexElements[3] = {
            {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION,
             0},
            {0, 12, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_NORMAL,
             0},
            gfx::D3DDECL_END,
        };
        if (gfx::Succeeded(device->CreateVertexDeclaration(kSkinVertexElements, &declaration)))
            device->SetVertexDeclaration(declaration);
        for (long call = 0; call < frames; ++call) {
            if (model->UpdateAndDraw(device, gfx::D3DFILL_SOLID, 0, model->clips[0].frameCount,
                                     kAnimationTimeStep, 0))
                continue;
            // No clip, or one without keyframes, to play: the bind pose, as
            // the program draws a model without clips.
            for (int m = 0; m < model->meshCount; ++m) model->meshes[m].SkinMesh();
            break;
        }
    }

    std::string json = BuildReport(*model, report);
    std::fwrite(json.data(), 1, json.size(), stdout);

    model.reset();
    gfx::SafeRelease(declaration);
    device->Release();
    for (bool loaded : report.loaded)
        if (!loaded) return 1;
    return 0;
}
