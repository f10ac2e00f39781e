// Skinning 60k corners on 30 bones (vertices/s): the program's paths beside
// hand-written versions of the same job (one of them built on AVX2's gather,
// which some processors run slowly) and a copy of the same bytes, the floor
// no skinning can beat; then the same 60k corners each with 3 weight
// links, through the linked loops alone and through the whole mesh (the
// one-bone pass passing over them, then the linked pass). Run interleaved
// and repeated:
//   build/bench/skinning/skinning_bench --benchmark_repetitions=9
//     --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/model_mesh.h"
#include "model/skinning.h"
#include "model/smd/smd_parser.h"

namespace {

constexpr int kBones = 30;
constexpr int kTriangles = 20000;

struct Scene {
    std::vector<Bone> bones = std::vector<Bone>(kBones);
    std::vector<MeshTriangle> triangles = std::vector<MeshTriangle>(kTriangles);
    std::vector<SkinVertex> out = std::vector<SkinVertex>(3 * kTriangles);
    Scene() {
        for (int b = 0; b < kBones; ++b)
            bones[size_t(b)].absoluteMatrix =
                MatrixRotationY(0.1f * float(b)) * MatrixTranslation(0, float(b), 0);
        for (int t = 0; t < kTriangles; ++t)
            for (int k = 0; k < 3; ++k) {
                triangles[size_t(t)].boneIndices[k] = (t + k) % kBones;
                triangles[size_t(t)].vertices[k] = {{float(k), float(t % 7), 1.0f},
                                                    {0.0f, 1.0f, 0.0f}};
            }
    }
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

template <typename Skin>
void Run(benchmark::State& state, Skin skin) {
    Scene& s = TheScene();
    for (auto _ : state) {
        skin(s);
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 3 * kTriangles);
}

void BM_Ours(benchmark::State& state, skinning::Path path) {
    if (!skinning::Supports(path)) {
        state.SkipWithError("not supported here");
        return;
    }
    Run(state, [path](Scene& s) {
        skinning::SkinCorners(path, s.triangles.data(), kTriangles, s.bones.data(), kBones,
                              s.out.data());
    });
}
BENCHMARK_CAPTURE(BM_Ours, scalar, skinning::Path::Scalar);
BENCHMARK_CAPTURE(BM_Ours, sse2, skinning::Path::Sse2);
BENCHMARK_CAPTURE(BM_Ours, avx2, skinning::Path::Avx2);

// --- weight links ---------------------------------------------------------------

// The same corners, each with 3 links (bones t + k, t + k + 7, t + k + 13,
// random weights adding up to 1), made into linked corners by the mesh's
// own SetLinks: the bind pose is each bone's matrix in Scene, the pose a
// turn of it. And a file of as many corners with one link each, to another
// bone than their first field's (as exporters write a mesh with one bone
// per vertex), loaded as the program loads it.
struct LinkedScene {
    ModelMesh mesh;
    ModelMesh single;
    std::vector<Bone> pose = std::vector<Bone>(kBones);
    std::vector<SkinVertex> out = std::vector<SkinVertex>(3 * kTriangles);
    LinkedScene() {
        const Scene& s = TheScene();
        mesh.AllocateBones(kBones);
        mesh.AllocateTriangles(kTriangles);
        std::copy(s.bones.begin(), s.bones.end(), mesh.bones);
        std::copy(s.triangles.begin(), s.triangles.end(), mesh.triangles);
        std::mt19937 random(5);
        std::uniform_real_distribution<float> share(0.1f, 0.6f);
        std::vector<uint32_t> linkStart{0};
        std::vector<smd::WeightLink> links;
        for (int t = 0; t < kTriangles; ++t)
            for (int k = 0; k < 3; ++k) {
                float a = share(random), b = share(random) * (1.0f - a);
                links.push_back({(t + k) % kBones, a});
                links.push_back({(t + k + 7) % kBones, b});
                links.push_back({(t + k + 13) % kBones, 1.0f - a - b});
                linkStart.push_back(uint32_t(links.size()));
            }
        mesh.SetLinks(linkStart, links);
        // The one-link mesh goes through the parser, which takes each
        // corner into its linked bone's space.
        std::string text = "version 1\nnodes\n";
        for (int b = 0; b < kBones; ++b)
            text += std::to_string(b) + " \"b" + std::to_string(b) + "\" -1\n";
        text += "end\nskeleton\ntime 0\n";
        for (int b = 0; b < kBones; ++b)
            text += std::to_string(b) + " 0 " + std::to_string(b) + " 0 0 " +
                    std::to_string(0.1f * float(b)) + " 0\n";
        text += "end\ntriangles\n";
        for (int t = 0; t < kTriangles; ++t) {
            text += "m\n";
            for (int k = 0; k < 3; ++k)
                text += "0 " + std::to_string(k) + " " + std::to_string(t % 7) + " 1 0 1 0 0 0 1 " +
                        std::to_string((t + k + 1) % kBones) + " 1\n";
        }
        text += "end\n";
        smd::Reference parsed;
        if (smd::ParseReference({reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                                &parsed)
                .result == SmdLoadResult::Ok) {
            single.boneCount = parsed.boneCount;
            single.bones = parsed.bones.release();
            single.triangleCount = parsed.triangleCount;
            single.vertexCount = 3 * parsed.triangleCount;
            single.triangles = parsed.triangles.release();
            single.SetLinks(parsed.linkStart, parsed.links);
        }
        for (int b = 0; b < kBones; ++b)
            pose[size_t(b)].absoluteMatrix =
                MatrixRotationZ(0.05f * float(b)) * s.bones[size_t(b)].absoluteMatrix;
    }
};

LinkedScene& TheLinkedScene() {
    static LinkedScene scene;
    return scene;
}

void BM_Linked3(benchmark::State& state, skinning::Path path) {
    if (!skinning::Supports(path)) {
        state.SkipWithError("not supported here");
        return;
    }
    LinkedScene& s = TheLinkedScene();
    if (s.mesh.linked.corner.size() != 3 * size_t(kTriangles)) {
        state.SkipWithError("the corners were not linked");
        return;
    }
    for (auto _ : state) {
        skinning::SkinLinkedCorners(path, s.mesh.linked, s.pose.data(), kBones, s.out.data());
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 3 * kTriangles);
}
BENCHMARK_CAPTURE(BM_Linked3, scalar, skinning::Path::Scalar);
BENCHMARK_CAPTURE(BM_Linked3, sse2, skinning::Path::Sse2);
BENCHMARK_CAPTURE(BM_Linked3, avx2, skinning::Path::Avx2);

// What SkinMesh does for such a mesh on the path chosen at run time.
void BM_MeshLinked3(benchmark::State& state) {
    LinkedScene& s = TheLinkedScene();
    for (auto _ : state) {
        s.mesh.SkinCorners(s.pose.data(), s.out.data());
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 3 * kTriangles);
}
BENCHMARK(BM_MeshLinked3);

// What SkinMesh does for the mesh of one link per corner: today's one-bone
// loops, as the mesh holds each corner in its linked bone's space.
void BM_MeshLinked1(benchmark::State& state) {
    LinkedScene& s = TheLinkedScene();
    if (s.single.triangleCount != kTriangles || !s.single.linked.Empty()) {
        state.SkipWithError("the file did not load, or corners of one link were blended");
        return;
    }
    for (auto _ : state) {
        s.single.SkinCorners(s.pose.data(), s.out.data());
        benchmark::DoNotOptimize(s.out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 3 * kTriangles);
}
BENCHMARK(BM_MeshLinked1);

// --- hand-written references --------------------------------------------------

// The floor: the output's bytes copied from the corners, no arithmetic.
void BM_CopyCorners(benchmark::State& state) {
    Run(state, [](Scene& s) {
        SkinVertex* o = s.out.data();
        for (const MeshTriangle& t : s.triangles) {
            std::memcpy(o, t.vertices, sizeof t.vertices);
            o += 3;
        }
    });
}
BENCHMARK(BM_CopyCorners);

// Plain C++ compiled for this processor (AVX2, FMA), with the divide by w.
__attribute__((target("avx2,fma"))) void ScalarNative(Scene& s) {
    SkinVertex* o = s.out.data();
    for (const MeshTriangle& t : s.triangles) {
        for (int k = 0; k < 3; ++k, ++o) {
            const Matrix4& m = s.bones[size_t(t.boneIndices[k])].absoluteMatrix;
            const Vector3& p = t.vertices[k].position;
            const Vector3& n = t.vertices[k].normal;
            float w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
            o->position = {(p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0]) / w,
                           (p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1]) / w,
                           (p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]) / w};
            o->normal = {n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0],
                         n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
                         n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
        }
    }
}
void BM_RefScalarNative(benchmark::State& state) { Run(state, ScalarNative); }
BENCHMARK(BM_RefScalarNative);

// SSE, no divide (valid for affine bones only): the usual hand-tuned loop.
void SseNoDivide(Scene& s) {
    float* o = &s.out[0].position.x;
    for (const MeshTriangle& t : s.triangles) {
        for (int k = 0; k < 3; ++k, o += 6) {
            const Matrix4& m = s.bones[size_t(t.boneIndices[k])].absoluteMatrix;
            const float* v = &t.vertices[k].position.x;
            __m128 r0 = _mm_loadu_ps(m.m[0]), r1 = _mm_loadu_ps(m.m[1]), r2 = _mm_loadu_ps(m.m[2]);
            __m128 p = _mm_add_ps(
                _mm_add_ps(_mm_mul_ps(_mm_set1_ps(v[0]), r0), _mm_mul_ps(_mm_set1_ps(v[1]), r1)),
                _mm_add_ps(_mm_mul_ps(_mm_set1_ps(v[2]), r2), _mm_loadu_ps(m.m[3])));
            __m128 n = _mm_add_ps(
                _mm_add_ps(_mm_mul_ps(_mm_set1_ps(v[3]), r0), _mm_mul_ps(_mm_set1_ps(v[4]), r1)),
                _mm_mul_ps(_mm_set1_ps(v[5]), r2));
            alignas(16) float pf[4], nf[4];
            _mm_store_ps(pf, p);
            _mm_store_ps(nf, n);
            o[0] = pf[0], o[1] = pf[1], o[2] = pf[2], o[3] = nf[0], o[4] = nf[1], o[5] = nf[2];
        }
    }
}
void BM_RefSseNoDivide(benchmark::State& state) { Run(state, SseNoDivide); }
BENCHMARK(BM_RefSseNoDivide);

// AVX2 + FMA, no divide: position and normal of one corner in one register.
__attribute__((target("avx2,fma"))) void Avx2FmaNoDivide(Scene& s) {
    float* o = &s.out[0].position.x;
    const __m256i six = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
    const __m256i compact = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    for (const MeshTriangle& t : s.triangles) {
        for (int k = 0; k < 3; ++k, o += 6) {
            const Matrix4& m = s.bones[size_t(t.boneIndices[k])].absoluteMatrix;
            const float* v = &t.vertices[k].position.x;
            __m256 r0 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m.m[0]));
            __m256 r1 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m.m[1]));
            __m256 r2 = _mm256_broadcast_ps(reinterpret_cast<const __m128*>(m.m[2]));
            __m256 r3 = _mm256_insertf128_ps(_mm256_setzero_ps(), _mm_loadu_ps(m.m[3]), 0);
            __m256 x = _mm256_setr_m128(_mm_set1_ps(v[0]), _mm_set1_ps(v[3]));
            __m256 y = _mm256_setr_m128(_mm_set1_ps(v[1]), _mm_set1_ps(v[4]));
            __m256 z = _mm256_setr_m128(_mm_set1_ps(v[2]), _mm_set1_ps(v[5]));
            __m256 r = _mm256_fmadd_ps(z, r2, _mm256_fmadd_ps(y, r1, _mm256_fmadd_ps(x, r0, r3)));
            _mm256_maskstore_ps(o, six, _mm256_permutevar8x32_ps(r, compact));
        }
    }
}
// A reference that needs AVX2, skipped on a processor without it.
void RunAvx2(benchmark::State& state, void (*skin)(Scene&)) {
    if (!skinning::Supports(skinning::Path::Avx2)) {
        state.SkipWithError("not supported here");
        return;
    }
    Run(state, skin);
}
void BM_RefAvx2FmaNoDivide(benchmark::State& state) { RunAvx2(state, Avx2FmaNoDivide); }
BENCHMARK(BM_RefAvx2FmaNoDivide);

// AVX2 + FMA with gathers, no divide: eight corners at a time, one lane
// each, every input float gathered (bone index, six corner floats, twelve
// matrix floats: 19 gathers for 8 corners), the results written back corner
// by corner. What a loop that leans on the gather instruction costs here.
__attribute__((target("avx2,fma"))) void Avx2Gather(Scene& s) {
    static_assert(sizeof(MeshTriangle) % 4 == 0 && sizeof(Bone) % 4 == 0, "whole floats");
    constexpr int kTriangleFloats = int(sizeof(MeshTriangle) / 4);
    constexpr int kBoneIndex = int(offsetof(MeshTriangle, boneIndices) / 4);
    constexpr int kCorner = int(offsetof(MeshTriangle, vertices) / 4);
    constexpr int kBoneFloats = int(sizeof(Bone) / 4);
    constexpr int kMatrix = int(offsetof(Bone, absoluteMatrix) / 4);
    const float* triangles = &s.triangles[0].vertices[0].position.x - kCorner;
    const int* indices = reinterpret_cast<const int*>(triangles);
    const float* matrices = reinterpret_cast<const float*>(s.bones.data());
    const int corners = 3 * kTriangles;
    static_assert(3 * kTriangles < 98304, "the division by 3 below");
    alignas(32) float soa[6][8];
    for (int c = 0; c + 8 <= corners; c += 8) {
        const __m256i corner =
            _mm256_add_epi32(_mm256_set1_epi32(c), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        // corner / 3 by multiply and shift (exact, and within 32 bits, below
        // 98,304 corners).
        const __m256i t =
            _mm256_srli_epi32(_mm256_mullo_epi32(corner, _mm256_set1_epi32(43691)), 17);
        const __m256i slot = _mm256_sub_epi32(corner, _mm256_mullo_epi32(t, _mm256_set1_epi32(3)));
        const __m256i base = _mm256_mullo_epi32(t, _mm256_set1_epi32(kTriangleFloats));
        const __m256i bone = _mm256_i32gather_epi32(
            indices, _mm256_add_epi32(base, _mm256_add_epi32(slot, _mm256_set1_epi32(kBoneIndex))),
            4);
        const __m256i at =
            _mm256_add_epi32(base, _mm256_add_epi32(_mm256_mullo_epi32(slot, _mm256_set1_epi32(6)),
                                                    _mm256_set1_epi32(kCorner)));
        __m256 v[6];
        for (int k = 0; k < 6; ++k)
            v[k] = _mm256_i32gather_ps(triangles, _mm256_add_epi32(at, _mm256_set1_epi32(k)), 4);
        const __m256i m = _mm256_add_epi32(_mm256_mullo_epi32(bone, _mm256_set1_epi32(kBoneFloats)),
                                           _mm256_set1_epi32(kMatrix));
        __m256 e[4][3];
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 3; ++k)
                e[r][k] = _mm256_i32gather_ps(matrices,
                                              _mm256_add_epi32(m, _mm256_set1_epi32(4 * r + k)), 4);
        for (int k = 0; k < 3; ++k) {
            _mm256_store_ps(
                soa[k], _mm256_fmadd_ps(v[2], e[2][k],
                                        _mm256_fmadd_ps(v[1], e[1][k],
                                                        _mm256_fmadd_ps(v[0], e[0][k], e[3][k]))));
            _mm256_store_ps(
                soa[3 + k],
                _mm256_fmadd_ps(v[5], e[2][k],
                                _mm256_fmadd_ps(v[4], e[1][k], _mm256_mul_ps(v[3], e[0][k]))));
        }
        float* o = &s.out[size_t(c)].position.x;
        for (int l = 0; l < 8; ++l, o += 6)
            for (int k = 0; k < 6; ++k) o[k] = soa[k][l];
    }
}
void BM_RefAvx2Gather(benchmark::State& state) { RunAvx2(state, Avx2Gather); }
BENCHMARK(BM_RefAvx2Gather);

}  // namespace

int main(int argc, char** argv) {
    // The path the program takes here, timed at its first frame, and what
    // timing the paths cost.
    const auto start = std::chrono::steady_clock::now();
    const skinning::Path path = skinning::BestPath();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    benchmark::AddCustomContext("program's path", std::string(skinning::PathName(path)) +
                                                      ", chosen in " + std::to_string(ms) + " ms");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
