// The whole export, files in and .glb out, as `smd2gltf` runs it: our
// character with its three clips (target: under 50 ms) and the Lantern
// Squid with its three. And the textures of both encoded at zlib levels 1,
// 3 and 6, the level the exporter uses and its neighbours, with the bytes
// they come to as a counter. Run interleaved, medians of 15:
//
//   build/bench/smd2gltf/smd2gltf_bench --benchmark_repetitions=15
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/gfx/image/image.h"
#include "smd2gltf/png_writer.h"
#include "smd2gltf/smd_export.h"

namespace {

const std::string kPudo = RR_RUN_DIR "/Model/SMD/Pudo_Red/";
const std::string kSquid = RR_RUN_DIR "/Model/SMD/Lantern Squid/";

void Export(benchmark::State& state, const std::string& folder, const std::string& reference,
            const std::vector<std::string>& clips) {
    smd2gltf::ExportOptions options;
    options.reference = folder + reference;
    for (const std::string& clip : clips) options.clips.push_back(folder + clip);
    options.output = std::filesystem::temp_directory_path() /
                     ("smd2gltf_bench_" + std::to_string(getpid()) + ".glb");
    for (auto _ : state) {
        smd2gltf::ExportResult result = smd2gltf::ExportGlb(options);
        if (!result.ok) state.SkipWithError(result.error.c_str());
    }
    state.counters["bytes"] = double(std::filesystem::file_size(options.output));
    std::filesystem::remove(options.output);
}

void BM_ExportPudoRedWithThreeClips(benchmark::State& state) {
    Export(state, kPudo, "Ref_Red.smd",
           {"Ani_Red(Attack).smd", "Ani_Red(Run).smd", "Ani_Red(Stun).smd"});
}
BENCHMARK(BM_ExportPudoRedWithThreeClips)->Unit(benchmark::kMillisecond);

void BM_ExportLanternSquidWithThreeClips(benchmark::State& state) {
    Export(state, kSquid, "Ref Squid.smd",
           {"Ani Squid (Swim).smd", "Ani Squid (Look Around).smd", "Ani Squid (Strike).smd"});
}
BENCHMARK(BM_ExportLanternSquidWithThreeClips)->Unit(benchmark::kMillisecond);

void BM_EncodeTextures(benchmark::State& state) {
    const char* files[] = {"Pudo_Red/Red_Skin.bmp",        "Pudo_Red/Red_Belly.bmp",
                           "Pudo_Red/Red_Eye.bmp",         "Pudo_Red/Red_Pupil.bmp",
                           "Lantern Squid/Squid_Skin.bmp", "Lantern Squid/Squid_Under.tga",
                           "Lantern Squid/Squid_Eye.png",  "Lantern Squid/Squid_Pupil.bmp",
                           "Lantern Squid/Squid_Lamp.tga", "Lantern Squid/Squid_Fin.png"};
    std::vector<gfx::image::RgbaImage> pictures;
    gfx::image::TextureLimits limits;
    limits.maxEdge = 16384;
    for (const char* file : files) {
        std::vector<uint8_t> bytes;
        std::string error;
        gfx::image::RgbaImage picture;
        std::string path = std::string(RR_RUN_DIR "/Model/SMD/") + file;
        if (!ReadFileBytes(path.c_str(), file_limits::kTexture, &bytes, &error) ||
            !gfx::image::DecodeImage(bytes.data(), bytes.size(), limits, &picture, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        pictures.push_back(std::move(picture));
    }
    size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (const auto& picture : pictures) {
            std::vector<uint8_t> png;
            std::string error;
            if (!smd2gltf::EncodePng(picture, &png, &error, int(state.range(0))))
                state.SkipWithError(error.c_str());
            total += png.size();
        }
    }
    state.counters["bytes"] = double(total);
}
BENCHMARK(BM_EncodeTextures)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
