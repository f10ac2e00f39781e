// Reference loading (MB/s) of a 100k-triangle file written here, the
// start-up load of our character's reference from the run folder, and CPU
// skinning (vertices/s) of 60k vertices on 30 bones.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "large_reference.h"
#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"

namespace {

constexpr int kBones = kLargeReferenceBones;

void BM_ParseReference100kTriangles(benchmark::State& state) {
    const std::string path = WriteLargeReference(100000);
    const auto bytes = std::filesystem::file_size(path);
    gfx::Device* device = gfx::recording::CreateDevice();
    for (auto _ : state) {
        SkinnedModel model;
        if (!model.LoadReference(device, path.c_str(), LoadContext{}))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(model.meshes[0].triangles);
        state.PauseTiming();
        gfx::recording::GetRecorder().calls.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    device->Release();
    std::filesystem::remove(path);
}
BENCHMARK(BM_ParseReference100kTriangles)->Unit(benchmark::kMillisecond);

// LoadReference as the program calls it at start-up, by its backslash path
// from the run folder; the recording device stands for the GL device (its
// textures only check that the files open).
void BM_LoadRefRedAtStartUp(benchmark::State& state) {
    char previous[4096];
    if (!getcwd(previous, sizeof(previous)) || chdir(RR_RUN_DIR) != 0) {
        state.SkipWithError("no run folder");
        return;
    }
    gfx::Device* device = gfx::recording::CreateDevice();
    for (auto _ : state) {
        SkinnedModel model;
        if (!model.LoadReference(device, "Model\\SMD\\Pudo_Red\\Ref_Red.smd", LoadContext{}))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(model.meshes[0].triangles);
        state.PauseTiming();
        gfx::recording::GetRecorder().calls.clear();
        state.ResumeTiming();
    }
    device->Release();
    if (chdir(previous) != 0) state.SkipWithError("cannot return to the working folder");
}
BENCHMARK(BM_LoadRefRedAtStartUp)->Unit(benchmark::kMillisecond);

void BM_SkinMesh60kVertices30Bones(benchmark::State& state) {
    gfx::Device* device = gfx::recording::CreateDevice();
    {
        ModelMesh mesh;
        mesh.AllocateBones(kBones);
        mesh.AllocateTriangles(20000);
        for (int b = 0; b < kBones; ++b)
            mesh.bones[b].absoluteMatrix =
                MatrixRotationY(0.1f * float(b)) * MatrixTranslation(0, float(b), 0);
        for (int t = 0; t < mesh.triangleCount; ++t)
            for (int k = 0; k < 3; ++k) {
                mesh.triangles[t].boneIndices[k] = (t + k) % kBones;
                mesh.triangles[t].vertices[k] = {{float(k), float(t % 7), 1.0f},
                                                 {0.0f, 1.0f, 0.0f}};
            }
        device->CreateVertexBuffer(uint32_t(mesh.vertexCount) * sizeof(SkinVertex), 0, 0,
                                   gfx::D3DPOOL_DEFAULT, &mesh.vertexBuffer, nullptr);
        for (auto _ : state) {
            benchmark::DoNotOptimize(mesh.SkinMesh());
            state.PauseTiming();
            gfx::recording::GetRecorder().calls.clear();
            state.ResumeTiming();
        }
        state.SetItemsProcessed(int64_t(state.iterations()) * mesh.vertexCount);
    }
    device->Release();
}
BENCHMARK(BM_SkinMesh60kVertices30Bones)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
