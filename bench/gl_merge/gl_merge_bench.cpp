// Draws a 20 000-triangle mesh one triangle per DrawPrimitive call at
// 800 × 600, as the skinned model is drawn, with draw merging on and off in
// the same run, and prints the mean frame time of each, their ratio, and the
// median time the 20 000 calls take (merged: the device's own cost; unmerged:
// with GL's draw calls). Needs an X display (e.g. Xvfb) with OpenGL 4.5.
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/gfx/gl/gl_backend.h"
#include "scene/effect_setup.h"
#include "support/gl_harness.h"

namespace {

using namespace gfx;

constexpr int kWidth = 800, kHeight = 600;
constexpr int kColumns = 100, kRows = 100;  // 100 × 100 quads = 20 000 triangles
constexpr int kTriangles = kColumns * kRows * 2;

const char* kVertexShader = R"(#version 450 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
out vec3 shade;
void main() { shade = normal * 0.5 + 0.5; gl_Position = vec4(position, 1.0); }
)";
const char* kFragmentShader = R"(#version 450 core
in vec3 shade;
out vec4 color;
void main() { color = vec4(shade, 1.0); }
)";

GLuint Build() {
    std::string log;
    GLuint program = gl::BuildProgram(kVertexShader, kFragmentShader, &log);
    if (!program) std::fprintf(stderr, "gl_merge_bench: %s\n", log.c_str());
    return program;
}

using Clock = std::chrono::steady_clock;

// Mean milliseconds per frame over `frames` frames (after two warm-up
// frames); submit receives the median microseconds of the DrawPrimitive calls.
double TimeFrames(Device* device, GLuint program, int frames, double* submit) {
    double total = 0;
    std::vector<double> submits;
    for (int frame = -2; frame < frames; ++frame) {
        auto start = Clock::now();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        device->BeginScene();
        gl::MakeCurrent(device);
        glUseProgram(program);
        auto calls = Clock::now();
        for (int t = 0; t < kTriangles; ++t)
            device->DrawPrimitive(D3DPT_TRIANGLELIST, uint32_t(3 * t), 1);
        submits.push_back(std::chrono::duration<double, std::micro>(Clock::now() - calls).count());
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        gl::MakeCurrent(device);
        glFinish();
        std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        if (frame >= 0) total += elapsed.count();
    }
    std::sort(submits.begin(), submits.end());
    *submit = submits[submits.size() / 2];
    return total / frames;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 20;
    if (frames <= 0) frames = 20;
    rrtest::GlHarness gl;
    if (std::string why = gl.Open(kWidth, kHeight, /*debug=*/false); !why.empty()) {
        std::fprintf(stderr, "gl_merge_bench: %s\n", why.c_str());
        return 1;
    }
    Device* device = gl.device.get();

    // The mesh: a grid over the screen, each triangle its own three vertices.
    std::vector<float> vertices;
    vertices.reserve(size_t(kTriangles) * 3 * 6);
    auto put = [&](float x, float y) { vertices.insert(vertices.end(), {x, y, 0.5f, x, y, 1.0f}); };
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            float x0 = -1 + 2.0f * column / kColumns, x1 = -1 + 2.0f * (column + 1) / kColumns;
            float y0 = -1 + 2.0f * row / kRows, y1 = -1 + 2.0f * (row + 1) / kRows;
            put(x0, y0), put(x1, y0), put(x1, y1);
            put(x0, y0), put(x1, y1), put(x0, y1);
        }
    }
    Ref<VertexDeclaration> declaration;
    Ref<VertexBuffer> buffer;
    uint32_t length = uint32_t(vertices.size() * sizeof(float));
    device->CreateVertexDeclaration(kSkinVertexElements, declaration.Receive());
    device->CreateVertexBuffer(length, 0, 0, D3DPOOL_DEFAULT, buffer.Receive(), nullptr);
    void* data = nullptr;
    if (Failed(buffer->Lock(0, 0, &data, 0))) return 1;
    std::memcpy(data, vertices.data(), length);
    buffer->Unlock();
    device->SetVertexDeclaration(declaration.get());
    device->SetStreamSource(0, buffer.get(), 0, 24);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    gl::MakeCurrent(device);
    GLuint program = Build();

    gl::SetDrawMerging(device, true);
    uint64_t callsBefore = gl::GetGlDrawCallCount(device);
    double mergedSubmit = 0, unmergedSubmit = 0;
    double merged = TimeFrames(device, program, frames, &mergedSubmit);
    uint64_t mergedCalls = (gl::GetGlDrawCallCount(device) - callsBefore) / uint64_t(frames + 2);
    gl::SetDrawMerging(device, false);
    callsBefore = gl::GetGlDrawCallCount(device);
    double unmerged = TimeFrames(device, program, frames, &unmergedSubmit);
    uint64_t unmergedCalls = (gl::GetGlDrawCallCount(device) - callsBefore) / uint64_t(frames + 2);

    std::printf("%d triangles, one DrawPrimitive each, %dx%d, %d frames each\n", kTriangles, kWidth,
                kHeight, frames);
    std::printf("merged:   %8.2f ms/frame  (%llu GL draws per frame, submit %.0f us)\n", merged,
                static_cast<unsigned long long>(mergedCalls), mergedSubmit);
    std::printf("unmerged: %8.2f ms/frame  (%llu GL draws per frame, submit %.0f us)\n", unmerged,
                static_cast<unsigned long long>(unmergedCalls), unmergedSubmit);
    std::printf("unmerged / merged: %.1fx\n", unmerged / merged);

    glDeleteProgram(program);
    return 0;
}
