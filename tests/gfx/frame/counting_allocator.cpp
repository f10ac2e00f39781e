#include "counting_allocator.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace alloctest {

namespace {

struct Range {
    uintptr_t begin = 0;
    uintptr_t end = 0;
    bool Holds(uintptr_t address) const { return address >= begin && address < end; }
};

Range program;  // this executable's code
// The C and C++ runtimes and the sanitizers: code that allocates for whoever
// called it.
Range runtimes[8];
int runtimeCount = 0;
std::atomic<bool> counting{false};
std::atomic<uint64_t> ours{0};
std::atomic<uint64_t> libraries{0};
thread_local bool inside = false;  // backtrace may allocate: not counted

// The whole span of an object's loaded segments.
int FindRanges(dl_phdr_info* info, size_t, void*) {
    Range range{~uintptr_t(0), 0};
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        range.begin = begin < range.begin ? begin : range.begin;
        range.end = begin + segment.p_memsz > range.end ? begin + segment.p_memsz : range.end;
    }
    const char* name = info->dlpi_name;
    if ((!name || !name[0]) && program.end == 0) {
        program = range;  // the executable: listed first, unnamed
    } else if (name && runtimeCount < 8 &&
               (std::strstr(name, "libstdc++") || std::strstr(name, "libc.so") ||
                std::strstr(name, "libgcc_s") || std::strstr(name, "libasan") ||
                std::strstr(name, "libubsan"))) {
        runtimes[runtimeCount++] = range;
    }
    return 0;
}

bool InRuntime(uintptr_t address) {
    for (int i = 0; i < runtimeCount; ++i)
        if (runtimes[i].Holds(address)) return true;
    return false;
}

// Whether the frame is one of the operators new below (they are exported, as
// they replace the runtime's).
bool InOperatorNew(void* address) {
    Dl_info info;
    if (!dladdr(address, &info) || !info.dli_sname) return false;
    return std::strncmp(info.dli_sname, "_Znwm", 5) == 0 ||
           std::strncmp(info.dli_sname, "_Znam", 5) == 0;
}

// The callers are the frames after the operator new's own (which stays on
// the stack: no tail calls, see below); before it come Charge, Allocate and,
// under a sanitizer, its backtrace. An allocation is a library's when any
// caller lies in a shared library other than the runtimes: our code called
// that library (directly or through the standard library's templates, which
// may be instantiated in this program) and the library allocated. It is ours
// when every caller is in this program or a runtime.
__attribute__((noinline)) void Charge() {
    if (!counting.load(std::memory_order_relaxed) || inside) return;
    inside = true;
    void* frames[64];
    int count = backtrace(frames, 64);
    int first = 0;
    while (first < count && !InOperatorNew(frames[first])) ++first;
    bool mine = true;
    for (int i = first + 1; i < count && mine; ++i) {
        auto address = reinterpret_cast<uintptr_t>(frames[i]);
        mine = program.Holds(address) || InRuntime(address);
    }
    (mine ? ours : libraries).fetch_add(1, std::memory_order_relaxed);
    // RR_ALLOC_TRACE=1: the stack of each allocation of ours, to find it.
    static const bool trace = std::getenv("RR_ALLOC_TRACE") != nullptr;
    if (mine && trace) backtrace_symbols_fd(frames, count, 2);
    inside = false;
}

__attribute__((noinline)) void* Allocate(std::size_t size, std::size_t alignment) {
    Charge();
    void* memory =
        alignment <= alignof(std::max_align_t)
            ? std::malloc(size ? size : 1)
            : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    // Keeps the call to Charge above from becoming a jump.
    asm volatile("" ::: "memory");
    return memory;
}

// The operator's own frame stays on the stack: the barrier after the call
// keeps it from becoming a jump.
#define RR_COUNTED(size, alignment)               \
    void* memory = Allocate((size), (alignment)); \
    asm volatile("" ::: "memory");
}  // namespace

void PrepareCounting() {
    dl_iterate_phdr(FindRanges, nullptr);
    void* frames[4];
    backtrace(frames, 4);  // loads the unwinder now, not while counting
}

void StartCounting() {
    ours = 0;
    libraries = 0;
    counting = true;
}

AllocationCounts StopCounting() {
    counting = false;
    return {ours.load(), libraries.load()};
}

}  // namespace alloctest

using alloctest::Allocate;

namespace {
constexpr std::size_t kPlain = alignof(std::max_align_t);
}

__attribute__((noinline)) void* operator new(std::size_t size) {
    RR_COUNTED(size, kPlain)
    if (!memory) throw std::bad_alloc();
    return memory;
}
__attribute__((noinline)) void* operator new[](std::size_t size) {
    RR_COUNTED(size, kPlain)
    if (!memory) throw std::bad_alloc();
    return memory;
}
__attribute__((noinline)) void* operator new(std::size_t size, std::align_val_t a) {
    RR_COUNTED(size, static_cast<std::size_t>(a))
    if (!memory) throw std::bad_alloc();
    return memory;
}
__attribute__((noinline)) void* operator new[](std::size_t size, std::align_val_t a) {
    RR_COUNTED(size, static_cast<std::size_t>(a))
    if (!memory) throw std::bad_alloc();
    return memory;
}
__attribute__((noinline)) void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    RR_COUNTED(size, kPlain)
    return memory;
}
__attribute__((noinline)) void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    RR_COUNTED(size, kPlain)
    return memory;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
