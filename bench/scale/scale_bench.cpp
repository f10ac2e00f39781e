// How the program's costs grow with the model: generated references of
// 10k, 100k and 1M triangles (a strip and a grid of quads on a chain of 32
// bones, with a 30-frame clip that bends the chain) loaded into the running scene
// through the program's own load path, then drawn frame after frame on the
// null device (the front's checks and state, no GL work). Per size: the
// file's size, the load time, the peak memory the load added, and the
// processor time per frame, also per 1,000 triangles, beside the time it
// takes to write the vertex buffer's bytes once (a floor no layout of the
// same buffer can go under) and to copy every corner of the mesh into it (the
// floor of a frame that reads each corner it skins: a mesh whose corners do
// not repeat, as the strip's), each with plain or streaming stores,
// whichever is faster.
//
// Usage: scale_bench [TRIANGLES...]   (default 10000 100000 1000000; it
// reads the build's run folder and writes its models to a temporary folder)
#include <unistd.h>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "bench_scene.h"
#include "model/mesh_triangle.h"
#include "platform/gfx/devices/devices.h"
#include "support/scripted/scripted_window_backend.h"
#include "scene/scene_changes.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBones = 32;
constexpr int kClipFrames = 30;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A /proc/self/status field in kB ("VmRSS", "VmHWM").
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
    return -1;
}

// Sets the peak resident memory back to the current one (Linux 4.0 on).
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

std::string Nodes() {
    std::string text = "version 1\nnodes\n";
    for (int b = 0; b < kBones; ++b)
        text += std::to_string(b) + " \"bone" + std::to_string(b) + "\" " + std::to_string(b - 1) +
                "\n";
    return text + "end\n";
}

// One frame of the chain: each bone one unit above its parent, turned by angle.
std::string Pose(int frame, float angle) {
    std::string text = "time " + std::to_string(frame) + "\n";
    char line[96];
    for (int b = 0; b < kBones; ++b) {
        std::snprintf(line, sizeof line, "%d 0 %d 0 %.4f 0 0\n", b, b == 0 ? 0 : 1, angle);
        text += line;
    }
    return text;
}

// The generated shapes: quads up the chain, two triangles each, every corner
// on the bone at its height, in that bone's space. A strip's quads share no
// corner with one another (each is shifted sideways); a grid is a sheet 100
// quads wide whose inner vertices are corners of six triangles, as the
// vertices of a closed mesh are.
enum class Shape { Strip, Grid };

void WriteReference(const std::string& path, int triangles, Shape shape) {
    std::string text = Nodes() + "skeleton\n" + Pose(0, 0.0f) + "end\ntriangles\n";
    const int quads = (triangles + 1) / 2;
    const int columns = shape == Shape::Grid ? std::min(100, quads) : 1;
    const int rows = (quads + columns - 1) / columns;
    const float height = float(kBones);
    char line[160];
    int written = 0;
    for (int q = 0; q < quads && written < triangles; ++q) {
        const int row = q / columns, column = q % columns;
        const float y0 = height * float(row) / float(rows),
                    y1 = height * float(row + 1) / float(rows);
        const float x = shape == Shape::Grid ? float(column) * 0.01f : float(q % 7) * 0.1f;
        const float right = shape == Shape::Grid ? x + 0.01f : x + 1.0f;
        const float corners[2][3][2] = {{{x, y0}, {right, y0}, {right, y1}},
                                        {{x, y0}, {right, y1}, {x, y1}}};
        for (int t = 0; t < 2 && written < triangles; ++t, ++written) {
            text += "skin.bmp\n";
            for (const auto& c : corners[t]) {
                const int bone = std::min(kBones - 1, int(c[1]));
                std::snprintf(line, sizeof line, "%d %.4f %.4f 0 0 0 1 %.4f %.4f\n", bone, c[0],
                              c[1] - float(bone), c[0], c[1] / height);
                text += line;
            }
        }
        if (text.size() > (64u << 20)) {  // written in pieces: 1M triangles make ~250 MB
            std::ofstream(path, std::ios::binary | std::ios::app) << text;
            text.clear();
        }
    }
    std::ofstream(path, std::ios::binary | std::ios::app) << text << "end\n";
}

// The median of 5 runs of work, in µs.
template <class Work>
double MedianUs(Work work) {
    std::vector<double> times;
    for (int r = 0; r < 5; ++r) {
        const Clock::time_point from = Clock::now();
        work(r);
        times.push_back(Milliseconds(from, Clock::now()) * 1000.0);
    }
    return Median(times);
}

// The least a frame can cost here: writing the vertex buffer's bytes once
// (3 corners of 24 bytes a triangle), the faster of memset and streaming
// stores. Streaming stores write whole lines without reading them first:
// 3.1 against 5 to 7 ms for 1M triangles on a 2-core Xeon; a buffer that
// fits in the caches is written faster through them.
double WriteFloorUs(int triangles) {
    // operator new aligns to 16 bytes (__STDCPP_DEFAULT_NEW_ALIGNMENT__).
    std::vector<char> bytes((size_t(triangles) * 72 + 15) / 16 * 16, 1);
    double us = MedianUs([&](int r) { std::memset(bytes.data(), r, bytes.size()); });
#if defined(__x86_64__)
    us = std::min(us, MedianUs([&](int r) {
                      const __m128i value = _mm_set1_epi8(char(r));
                      auto* lines = reinterpret_cast<__m128i*>(bytes.data());
                      for (size_t i = 0; i < bytes.size() / 16; ++i)
                          _mm_stream_si128(lines + i, value);
                      _mm_sfence();
                  }));
#endif
    return bytes[7 % bytes.size()] == char(4) ? us : 0.0;  // the writes are kept
}

#if defined(__x86_64__)
// The corners of count triangles to out (16-byte aligned) with streaming
// stores: two triangles are nine aligned 16-byte stores.
void StreamCorners(const MeshTriangle* mesh, size_t count, SkinVertex* out) {
    auto* o = reinterpret_cast<__m128i*>(out);
    auto load = [](const char* p, int at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
    };
    size_t t = 0;
    for (; t + 2 <= count; t += 2, o += 9) {
        const auto* a = reinterpret_cast<const char*>(mesh[t].vertices);
        const auto* b = reinterpret_cast<const char*>(mesh[t + 1].vertices);
        for (int i = 0; i < 4; ++i) _mm_stream_si128(o + i, load(a, 16 * i));
        _mm_stream_si128(
            o + 4, _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a + 64)),
                                      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b))));
        for (int i = 0; i < 4; ++i) _mm_stream_si128(o + 5 + i, load(b, 8 + 16 * i));
    }
    if (t < count) std::memcpy(&out[3 * t], mesh[t].vertices, sizeof mesh[t].vertices);
    _mm_sfence();
}
#endif

// Copying the mesh's corners (its triangles as skinning reads them, bone
// indices and all) into the vertex buffer, the faster of memcpy and
// streaming stores.
double CopyFloorUs(int triangles) {
    std::vector<MeshTriangle> mesh(static_cast<size_t>(triangles));
    for (size_t t = 0; t < mesh.size(); ++t)
        for (int k = 0; k < 3; ++k) mesh[t].vertices[k].position.x = float(t + size_t(k));
    std::vector<SkinVertex> out(mesh.size() * 3);  // 16-byte aligned, as above
    double us = MedianUs([&](int) {
        for (size_t t = 0; t < mesh.size(); ++t)
            std::memcpy(&out[3 * t], mesh[t].vertices, sizeof mesh[t].vertices);
    });
#if defined(__x86_64__)
    us = std::min(us, MedianUs([&](int) { StreamCorners(mesh.data(), mesh.size(), out.data()); }));
#endif
    return out[out.size() - 3].position.x > 0.0f ? us : 0.0;  // the copies are kept
}

void WriteClip(const std::string& path) {
    std::string text = Nodes() + "skeleton\n";
    for (int f = 0; f < kClipFrames; ++f) text += Pose(f, 0.02f * std::sin(float(f) * 0.2f));
    std::ofstream(path, std::ios::binary) << text << "end\n";
}

// The strip's texture: 2 x 2 grey texels, a 24-bit BMP.
void WriteTexture(const std::string& path) {
    // clang-format off
    const unsigned char bmp[] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,             // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,           // info header: 2 x 2, 24 bits
        0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        128, 128, 128, 128, 128, 128, 0, 0,                         // a row of two, padded
        128, 128, 128, 128, 128, 128, 0, 0};
    // clang-format on
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
}

void Quiet(void*, const char*) {}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::max(2, std::atoi(argv[i])));
    if (sizes.empty()) sizes = {10000, 100000, 1000000};

    ScriptedWindowBackend windows;
    Application& app = GetApplication();
    app.services.createDirect3D = gfx::devices::CreateNull;
    if (!StartBenchScene(app, "scale_bench", false)) return 1;
    gfx::Device* device = app.renderer.device;
    ReportSink report;
    report.note = Quiet;

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("scale_bench." + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string clip = (folder / "bend.smd").string();
    WriteClip(clip);
    WriteTexture((folder / "skin.bmp").string());

    std::printf("%6s %10s %8s %9s %13s %10s %13s %12s %11s\n", "shape", "triangles", "file MB",
                "load ms", "load peak MB", "frame us", "us / 1k tris", "write floor", "copy floor");
    int status = 0;
    for (Shape shape : {Shape::Strip, Shape::Grid})
        for (int triangles : sizes) {
            const char* shapeName = shape == Shape::Grid ? "grid" : "strip";
            const std::string reference =
                (folder / (shapeName + std::to_string(triangles) + ".smd")).string();
            WriteReference(reference, triangles, shape);
            sync();  // the load is timed without the write-back of the file just written
            const double fileMb = double(std::filesystem::file_size(reference)) / (1 << 20);

            // Load: the peak is what this load added to the memory before it
            // (the model it replaces is released once the new one is in).
            std::vector<SceneFileFailure> failures;
            ResetPeakMemory();
            const long before = StatusKb("VmRSS");
            const Clock::time_point start = Clock::now();
            const bool loaded =
                ReplaceModel(app.scene, device, reference, {clip}, report, &failures);
            const double loadMs = Milliseconds(start, Clock::now());
            const double peakMb = double(StatusKb("VmHWM") - before) / 1024.0;
            std::filesystem::remove(reference);
            if (!loaded) {
                std::fprintf(stderr, "scale_bench: the %d-triangle model did not load\n",
                             triangles);
                status = 1;
                continue;
            }

            // Frames: a round is at least 20 frames and 0.2 s; the median of 7.
            for (int i = 0; i < 3; ++i) app.RenderFrame();
            std::vector<double> rounds;
            for (int r = 0; r < 7; ++r) {
                int frames = 0;
                const Clock::time_point from = Clock::now();
                do {
                    app.RenderFrame();
                    ++frames;
                } while (frames < 20 || Milliseconds(from, Clock::now()) < 200.0);
                rounds.push_back(Milliseconds(from, Clock::now()) * 1000.0 / frames);
            }
            const double frameUs = Median(rounds);
            std::printf("%6s %10d %8.1f %9.1f %13.1f %10.1f %13.2f %12.1f %11.1f\n", shapeName,
                        triangles, fileMb, loadMs, peakMb, frameUs, frameUs * 1000.0 / triangles,
                        WriteFloorUs(triangles), CopyFloorUs(triangles));
            std::fflush(stdout);
        }
    std::filesystem::remove_all(folder);
    return status;
}
