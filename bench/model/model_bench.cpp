// Reference parsing (MB/s) of a 100k-triangle file written here, and CPU
// skinning (vertices/s) of 60k vertices on 30 bones.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "model/skinned_model.h"
#include "platform/gfx/recording/recorder.h"

namespace {

constexpr int kBones = 30;

// A reference file shaped like an exporter's: a bone chain, one bind pose,
// triangles over two materials with weight links after u v.
std::string WriteLargeReference(int triangles) {
    std::string path = std::filesystem::temp_directory_path() /
                       ("model_bench_" + std::to_string(getpid()) + ".smd");
    FILE* file = std::fopen(path.c_str(), "w");
    std::fprintf(file, "version 1\nnodes\n");
    for (int b = 0; b < kBones; ++b) std::fprintf(file, "%d \"bone%02d\" %d\n", b, b, b - 1);
    std::fprintf(file, "end\nskeleton\ntime 0\n");
    for (int b = 0; b < kBones; ++b)
        std::fprintf(file, "%d 0.000000 1.500000 0.250000 0.100000 -0.050000 0.020000\n", b);
    std::fprintf(file, "end\ntriangles\n");
    for (int t = 0; t < triangles; ++t) {
        std::fprintf(file, "%s\n", (t / 1000) % 2 ? "cloth.bmp" : "skin.bmp");
        for (int k = 0; k < 3; ++k) {
            float a = 0.001f * float(3 * t + k);
            std::fprintf(file, "  %d %f %f %f %f %f %f %f %f 1 %d 1.000000\n", (t + k) % kBones,
                         std::cos(a), 0.01f * float(t % 100), std::sin(a), std::cos(a), 0.0f,
                         std::sin(a), 0.5f, 0.5f, (t + k) % kBones);
        }
    }
    std::fprintf(file, "end\n");
    std::fclose(file);
    return path;
}

void BM_ParseReference100kTriangles(benchmark::State& state) {
    const std::string path = WriteLargeReference(100000);
    const auto bytes = std::filesystem::file_size(path);
    gfx::Device* device = gfx::recording::CreateDevice();
    for (auto _ : state) {
        SkinnedModel model;
        if (!model.LoadReference(device, path.c_str())) state.SkipWithError("load failed");
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

void BM_SkinMesh60kVertices30Bones(benchmark::State& state) {
    gfx::Device* device = gfx::recording::CreateDevice();
    {
        ModelMesh mesh;
        mesh.AllocateBones(kBones);
        mesh.AllocateTriangles(20000);
        for (int b = 0; b < kBones; ++b)
            mesh.bones[b].absoluteMatrix = MatrixRotationY(0.1f * float(b)) * MatrixTranslation(0, float(b), 0);
        for (int t = 0; t < mesh.triangleCount; ++t)
            for (int k = 0; k < 3; ++k) {
                mesh.triangles[t].boneIndices[k] = (t + k) % kBones;
                mesh.triangles[t].vertices[k] = {{float(k), float(t % 7), 1.0f}, {0.0f, 1.0f, 0.0f}};
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
