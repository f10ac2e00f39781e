// The benchmarks' large reference file: shaped like an exporter's, with a
// bone chain, one bind pose and triangles over two materials with weight
// links after u v.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

constexpr int kLargeReferenceBones = 30;

// Writes a reference with the given number of triangles to a temporary file
// and returns its path (the caller removes it).
inline std::string WriteLargeReference(int triangles) {
    std::string path =
        std::filesystem::temp_directory_path() /
        ("model_bench_" + std::to_string(getpid()) + "_" + std::to_string(triangles) + ".smd");
    FILE* file = std::fopen(path.c_str(), "w");
    std::fprintf(file, "version 1\nnodes\n");
    for (int b = 0; b < kLargeReferenceBones; ++b)
        std::fprintf(file, "%d \"bone%02d\" %d\n", b, b, b - 1);
    std::fprintf(file, "end\nskeleton\ntime 0\n");
    for (int b = 0; b < kLargeReferenceBones; ++b)
        std::fprintf(file, "%d 0.000000 1.500000 0.250000 0.100000 -0.050000 0.020000\n", b);
    std::fprintf(file, "end\ntriangles\n");
    for (int t = 0; t < triangles; ++t) {
        std::fprintf(file, "%s\n", (t / 1000) % 2 ? "cloth.bmp" : "skin.bmp");
        for (int k = 0; k < 3; ++k) {
            float a = 0.001f * float(3 * t + k);
            std::fprintf(file, "  %d %f %f %f %f %f %f %f %f 1 %d 1.000000\n",
                         (t + k) % kLargeReferenceBones, std::cos(a), 0.01f * float(t % 100),
                         std::sin(a), std::cos(a), 0.0f, std::sin(a), 0.5f, 0.5f,
                         (t + k) % kLargeReferenceBones);
        }
    }
    std::fprintf(file, "end\n");
    std::fclose(file);
    return path;
}
