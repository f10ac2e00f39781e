// smd_peer_bench [--rounds N] [FILE...]
//
// Loads each reference file with our parser (read the bytes with
// ReadFileBytes, parse, move the corners into bone space: everything
// LoadReference does but device work) and with assimp's importer
// (Importer::ReadFile(path, 0), no post-processing); and times our parse
// of the bytes in memory and ReadFileBytes alone, to show where the time
// goes, and the load with the file read by a plain read() into a buffer of
// its size (no huge pages, no checks). (assimp's ReadFileFromMemory is no
// peer: it takes tens of seconds on a 1 MB SMD file.) Every round runs the
// five once, forwards or backwards. Prints the median of each, its
// throughput, the ratios, and the peak heap of one load beside the size of
// the file and of what it returns.
// Without files: the 100k-triangle file of model_bench, assimp's
// WusonSMD.smd and our Ref_Red.smd.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
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

// Bytes of a file, read once for the in-memory rows.
std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    ReadFileBytes(path.c_str(), file_limits::kSmdFile, &bytes, &error);
    return bytes;
}

// Our parse of bytes in memory; the size of what it returns, 0 on failure.
size_t ParseOurs(const std::vector<uint8_t>& bytes) {
    smd::Reference reference;
    if (smd::ParseReference(bytes, &reference).result != SmdLoadResult::Ok) return 0;
    return sizeof(reference) + size_t(reference.boneCount) * sizeof(Bone) +
           size_t(reference.triangleCount) * sizeof(MeshTriangle);
}

// One load as LoadReference does it, without the device work: the bytes
// through ReadFileBytes, then the parse.
size_t LoadOurs(const std::string& path) { return ParseOurs(FileBytes(path)); }

// The bytes read into a buffer of the file's size, with one small read to
// find the end: the plainest read there is.
std::vector<uint8_t> RightSizedBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) return bytes;
    bytes.resize(size_t(info.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    uint8_t probe;
    if (::read(fd, &probe, 1) != 0) bytes.clear();  // grew while read: not for this benchmark
    ::close(fd);
    bytes.resize(got);
    return bytes;
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
    const std::vector<uint8_t> bytes = FileBytes(path);
    double megabytes = double(bytes.size()) / 1e6;
    size_t returned = ParseOurs(bytes);
    if (returned == 0 || !LoadAssimp(path)) {
        std::fprintf(stderr, "%s: one of the loaders failed\n", path.c_str());
        return false;
    }
    // Small files are loaded several times per sample so that a sample
    // lasts milliseconds, not microseconds.
    int repeats = std::max(1, int(20.0 / megabytes));
    struct Row {
        const char* name;
        std::function<void()> load;
        std::vector<double> samples;
    };
    Row rows[] = {
        {"ours: ReadFileBytes + parse", [&] { LoadOurs(path); }, {}},
        {"assimp: ReadFile(path, 0)", [&] { LoadAssimp(path); }, {}},
        {"ours: parse bytes in memory", [&] { ParseOurs(bytes); }, {}},
        {"ReadFileBytes alone", [&] { FileBytes(path); }, {}},
        {"ours: right-sized read + parse", [&] { ParseOurs(RightSizedBytes(path)); }, {}}};
    constexpr int kRows = 5;
    for (int round = 0; round < rounds; ++round)
        for (int i = 0; i < kRows; ++i) {
            // Forwards in even rounds, backwards in odd ones.
            Row& row = rows[round % 2 ? kRows - 1 - i : i];
            row.samples.push_back(TimeLoads(row.load, repeats));
        }
    double medians[kRows];
    for (int i = 0; i < kRows; ++i) medians[i] = Median(rows[i].samples);
    std::printf("%s: %.2f MB\n", label.c_str(), megabytes);
    for (int i = 0; i < kRows; ++i)
        std::printf("  %-31s %9.3f ms %6.0f MB/s\n", rows[i].name, medians[i],
                    megabytes / medians[i] * 1e3);
    std::printf(
        "  assimp / ours: %.2fx through ReadFileBytes, %.2fx with a right-sized read, %.2fx our "
        "parse alone\n",
        medians[1] / medians[0], medians[1] / medians[4], medians[1] / medians[2]);
    double file = double(bytes.size());
    size_t loadPeak = PeakOf([&] { LoadOurs(path); });
    size_t parsePeak = PeakOf([&] { ParseOurs(bytes); });
    size_t rightSizedPeak = PeakOf([&] { ParseOurs(RightSizedBytes(path)); });
    size_t assimpPeak = PeakOf([&] { LoadAssimp(path); });
    std::printf(
        "  peak heap (file %.2f MB, returned %.2f MB): ours through ReadFileBytes %.2f MB, with a "
        "right-sized "
        "read %.2f MB = %.2fx (file + returned); parse alone %.2f MB beyond the bytes; assimp %.2f "
        "MB\n",
        file / 1e6, double(returned) / 1e6, double(loadPeak) / 1e6, double(rightSizedPeak) / 1e6,
        double(rightSizedPeak) / (file + double(returned)), double(parsePeak) / 1e6,
        double(assimpPeak) / 1e6);
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
        files = {generated, "/usr/share/assimp/models/SMD/WusonSMD.smd",
                 RR_RUN_DIR "/Model/SMD/Pudo_Red/Ref_Red.smd"};
    }
    std::printf(
        "%d rounds of the five rows below, forwards and backwards in turn; medians of the rounds\n",
        rounds);
    bool ok = true;
    for (const std::string& file : files) {
        std::string label =
            file == generated ? "100k triangles" : std::filesystem::path(file).filename().string();
        ok = Compare(file, label, rounds) && ok;
    }
    if (!generated.empty()) std::filesystem::remove(generated);
    return ok ? 0 : 1;
}
