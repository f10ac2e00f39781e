#include "platform/gfx/effect/compiler_process.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "platform/gfx/effect/compile_child.h"
#include "platform/gfx/effect/effect_codec.h"
#include "platform/gfx/effect/effect_compiler.h"
#include "platform/gfx/effect/hlsl_compiler.h"

namespace gfx::effect {

namespace {

// The compile's stack, and below it a guard region as large as any frame
// glslang makes: a recursion that runs out of stack faults in the guard
// (never in memory beyond it), and the fault handler tells it from a crash.
constexpr size_t kStackBytes = 64u << 20;
constexpr size_t kGuardBytes = 16u << 20;
// The most a request may hold: a source of the largest effect file read
// (file_limits), its technique records and its copy of the text.
constexpr size_t kMaxRequestBytes = 64u << 20;

uintptr_t guardLow = 0;
uintptr_t guardHigh = 0;

// Async-signal-safe: only write and _exit.
void Say(const char* text) {
    size_t length = 0;
    while (text[length]) ++length;
    ssize_t written = write(2, text, length);
    (void)written;
}

void OnFault(int signal, siginfo_t* info, void*) {
    auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    if (address >= guardLow && address < guardHigh) {
        Say("rr-effect-compiler: the compile ran out of stack\n");
        _exit(kExitStackOverflow);
    }
    // Any other fault is a crash: the default action ends the process with
    // the signal, which the program reports.
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

void SetLimits() {
    rlimit core = {0, 0};
    setrlimit(RLIMIT_CORE, &core);
#if !defined(RR_ADDRESS_SANITIZER)
    // AddressSanitizer reserves terabytes of address space for its shadow;
    // under it the program asks for an RSS limit in the environment instead.
    rlimit space = {kAddressSpaceBytes, kAddressSpaceBytes};
    setrlimit(RLIMIT_AS, &space);
#endif
}

// The stack the fault handler runs on: the compile's own is used up when
// it overflows. Alternate stacks are per thread; the compile thread sets its
// own. Mapped, not static: a sanitizer unmaps a thread's alternate stack
// when the thread ends.
bool UseAlternateStack() {
    constexpr size_t kBytes = 64 * 1024;
    void* memory =
        mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return false;
    stack_t stack = {};
    stack.ss_sp = memory;
    stack.ss_size = kBytes;
    return sigaltstack(&stack, nullptr) == 0;
}

// What the process is doing, for the handlers of its limits.
enum class Phase { Reading, Expanding, Compiling };
volatile sig_atomic_t phase = static_cast<int>(Phase::Reading);

bool Expanding() { return phase == static_cast<int>(Phase::Expanding); }

void OnCpuLimit(int) {
    if (Expanding()) {
        Say("rr-effect-compiler: expanding the macros took the whole processor time\n");
        _exit(kExitExpansionTime);
    }
    Say("rr-effect-compiler: out of processor time\n");
    _exit(kExitCpuTime);
}

void OnNoMemory() {
    Say("rr-effect-compiler: out of memory\n");
    _exit(Expanding() ? kExitExpansionMemory : kExitOutOfMemory);
}

// kCpuSeconds of processor time from now on: SIGXCPU at the soft limit ends
// the process; the hard limit a second later is SIGKILL for one that
// ignores it.
void LimitProcessorTime() {
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    rlim_t used = static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
    rlimit cpu = {used + kCpuSeconds, used + kCpuSeconds + 1};
    setrlimit(RLIMIT_CPU, &cpu);
}

// glslang's tables for both stages, built while the program has not asked
// yet (a spare process waits for its request, compile_child.cpp).
void WarmUp() {
    const std::string text =
        "float4 VS(float3 p : POSITION) : POSITION { return float4(p, 1); }\n"
        "float4 PS() : COLOR0 { return 1; }\n";
    std::vector<uint32_t> spirv;
    std::string log;
    CompileHlsl(text, "warm-up", Stage::Vertex, "VS", &spirv, &log);
    CompileHlsl(text, "warm-up", Stage::Pixel, "PS", &spirv, &log);
}

bool InstallFaultHandler() {
    struct sigaction cpu = {};
    cpu.sa_handler = OnCpuLimit;
    cpu.sa_flags = SA_ONSTACK;
    sigemptyset(&cpu.sa_mask);
    if (sigaction(SIGXCPU, &cpu, nullptr) != 0) return false;
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGSEGV, &action, nullptr) == 0 && sigaction(SIGBUS, &action, nullptr) == 0;
}

bool ReadAll(int fd, std::string* bytes) {
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (bytes->size() + static_cast<size_t>(got) > kMaxRequestBytes) return false;
        bytes->append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

struct Job {
    const CompileRequest* request;
    CompileResult result;
};

void* Compile(void* argument) {
    auto* job = static_cast<Job*>(argument);
    if (!UseAlternateStack()) return nullptr;
    const CompileRequest& request = *job->request;
    // The macros are expanded once on their own first, so that running out
    // of time or memory there is reported as what it is.
    phase = static_cast<int>(Phase::Expanding);
    std::string expanded;
    bool bounded = PreprocessHlsl(request.source.hlsl, request.path, &expanded, &job->result.log,
                                  request.source.columnShifts);
    expanded.clear();
    expanded.shrink_to_fit();
    phase = static_cast<int>(Phase::Compiling);
    if (!bounded) return nullptr;
    job->result.log.clear();
    job->result.compiled = CompileEffectSource(request.source, request.path, &job->result.effect,
                                               &job->result.log, /*expandFirst=*/false);
    return nullptr;
}

// Runs job on a stack of kStackBytes with the guard region below it (the
// stack grows down). The thread's stack is mapped here, so the guard's
// addresses are known exactly.
bool RunOnGuardedStack(Job* job) {
    void* region = mmap(nullptr, kGuardBytes + kStackBytes, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED) return false;
    if (mprotect(region, kGuardBytes, PROT_NONE) != 0) return false;
    guardLow = reinterpret_cast<uintptr_t>(region);
    guardHigh = guardLow + kGuardBytes;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstack(&attributes, static_cast<char*>(region) + kGuardBytes, kStackBytes);
    pthread_t thread;
    bool started = pthread_create(&thread, &attributes, Compile, job) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) return false;
    pthread_join(thread, nullptr);
    return true;
}

}  // namespace

int CompilerProcessMain() {
    SetLimits();
    std::set_new_handler(OnNoMemory);
    if (!InstallFaultHandler() || !UseAlternateStack()) return kExitBadRequest;
    WarmUp();
    std::string bytes;
    CompileRequest request;
    if (!ReadAll(0, &bytes) || !DecodeRequest(bytes, &request)) {
        Say("rr-effect-compiler: the request could not be read\n");
        return kExitBadRequest;
    }
    bytes.clear();
    bytes.shrink_to_fit();
    LimitProcessorTime();
    Job job{&request, {}};
    if (!RunOnGuardedStack(&job)) OnNoMemory();
    return WriteAll(1, EncodeResult(job.result)) ? 0 : kExitBadRequest;
}

}  // namespace gfx::effect
