// smd_peer_bench [--rounds N] [FILE...]
//
// Loads each reference file with our parser (read the bytes, parse, move
// the corners into bone space: everything but device work) and with
// assimp's importer (Importer::ReadFile(path, 0), no post-processing),
// alternating the two in every round and the order between rounds. Prints
// the median time of each, its throughput, the ratio, and the peak heap of
// one load of each beside the size of the file and of what it returns.
// Without files: the 100k-triangle file of model_bench, assimp's
// WusonSMD.smd and our Ref_Red.smd.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "large_reference.h"
#include "model/smd/smd_parser.h"
#include "platform/files.h"

// Heap bytes in use and their peak, counted in every operator new/delete.
namespace heap {
std::atomic<size_t> live{0};
std::atomic<size_t> peak{0};

void* Take(size_t size) {
    void* block = std::malloc(size ? size : 1);
    if (!block) return nullptr;
    size_t now = live.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
    size_t high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
    return block;
}

void Give(void* block) {
    if (!block) return;
    live.fetch_sub(malloc_usable_size(block));
    std::free(block);
}
}  // namespace heap

void* operator new(size_t size) {
    if (void* block = heap::Take(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    if (void* block = heap::Take(size)) return block;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return heap::Take(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return heap::Take(size); }
void operator delete(void* block) noexcept { heap::Give(block); }
void operator delete[](void* block) noexcept { heap::Give(block); }
void operator delete(void* block, size_t) noexcept { heap::Give(block); }
void operator delete[](void* block, size_t) noexcept { heap::Give(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { heap::Give(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { heap::Give(block); }

namespace {

using Clock = std::chrono::steady_clock;

// One load by our parser; the size of what it returns, or 0 on failure.
size_t LoadOurs(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path.c_str(), file_limits::kSmdFile, &bytes, &error)) return 0;
    smd::Reference reference;
    if (smd::ParseReference(bytes, &reference).result != SmdLoadResult::Ok) return 0;
    return sizeof(reference) + size_t(reference.boneCount) * sizeof(Bone) +
           size_t(reference.triangleCount) * sizeof(MeshTriangle);
}

bool LoadAssimp(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    return scene && scene->mNumMeshes > 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

template <typename Load>
double TimeLoads(Load load, int repeats) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < repeats; ++i) load();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / repeats;
}

template <typename Load>
size_t PeakOf(Load load) {
    size_t before = heap::live.load();
    heap::peak.store(before);
    load();
    return heap::peak.load() - before;
}

bool Compare(const std::string& path, const std::string& label, int rounds) {
    double megabytes = double(std::filesystem::file_size(path)) / 1e6;
    size_t returned = LoadOurs(path);
    if (returned == 0 || !LoadAssimp(path)) {
        std::fprintf(stderr, "%s: one of the loaders failed\n", path.c_str());
        return false;
    }
    // Small files are loaded several times per sample so that a sample
    // lasts milliseconds, not microseconds.
    int repeats = std::max(1, int(20.0 / megabytes));
    std::vector<double> ours, theirs;
    for (int round = 0; round < rounds; ++round) {
        auto oursOnce = [&] { ours.push_back(TimeLoads([&] { LoadOurs(path); }, repeats)); };
        auto theirsOnce = [&] { theirs.push_back(TimeLoads([&] { LoadAssimp(path); }, repeats)); };
        if (round % 2) {
            theirsOnce();
            oursOnce();
        } else {
            oursOnce();
            theirsOnce();
        }
    }
    double oursMs = Median(ours), theirsMs = Median(theirs);
    size_t oursPeak = PeakOf([&] { LoadOurs(path); });
    size_t theirsPeak = PeakOf([&] { LoadAssimp(path); });
    double file = megabytes * 1e6;
    std::printf("%-22s %7.2f MB | ours %8.3f ms %6.0f MB/s | assimp %8.3f ms %6.0f MB/s | assimp/ours %5.2fx\n",
                label.c_str(), megabytes, oursMs, megabytes / oursMs * 1e3, theirsMs, megabytes / theirsMs * 1e3,
                theirsMs / oursMs);
    std::printf("%-22s peak heap: ours %.2f MB = %.2f x (file %.2f MB + returned %.2f MB); assimp %.2f MB\n", "",
                double(oursPeak) / 1e6, double(oursPeak) / (file + double(returned)), file / 1e6,
                double(returned) / 1e6, double(theirsPeak) / 1e6);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 15;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else {
            files.push_back(argv[i]);
        }
    }
    std::string generated;
    if (files.empty()) {
        generated = WriteLargeReference(100000);
        files = {generated, "/usr/share/assimp/models/SMD/WusonSMD.smd", RR_RUN_DIR "/Model/SMD/Pudo_Red/Ref_Red.smd"};
    }
    std::printf("%d rounds, each loading with both in alternating order; medians of the rounds\n", rounds);
    bool ok = true;
    for (const std::string& file : files) {
        std::string label = file == generated ? "100k triangles" : std::filesystem::path(file).filename().string();
        ok = Compare(file, label, rounds) && ok;
    }
    if (!generated.empty()) std::filesystem::remove(generated);
    return ok ? 0 : 1;
}
