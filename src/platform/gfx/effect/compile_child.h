// Compiling an effect without risking the program: the HLSL → GLSL steps
// (glslang, SPIRV-Cross) run in a process of their own, the compiler program
// (rr-effect-compiler, compiler_process.h), which gets the read source
// through a socket and answers with the compiled effect or the compiler's
// messages (effect_codec.h).
//
// The process is started with posix_spawn (the program has threads, the GL
// driver's among them, so nothing runs between fork and exec) in a process
// group of its own (a Ctrl+C in the terminal is the program's to handle). It
// limits itself to kCpuSeconds of processor time per compile and
// kAddressSpaceBytes of address space and runs the compile on a stack with a
// guard region whose overflow it reports. This side never waits past a
// deadline: then it kills the process and reaps it. Whatever the process
// does, the answer is the compiled effect or one message; the program goes on.
//
// A process compiles one effect and ends. The one for the next compile is
// started ahead (StartCompilerProcess, and after each compile), so that its
// start and glslang's tables cost the compile nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/effect/effect_codec.h"

// AddressSanitizer reserves terabytes of address space: a process built with
// it cannot run under an address-space limit (GCC and clang say so differently).
#if defined(__SANITIZE_ADDRESS__)
#define RR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RR_ADDRESS_SANITIZER 1
#endif
#endif

namespace gfx::effect {

constexpr int kCpuSeconds = 2;
constexpr uint64_t kAddressSpaceBytes = 512ull << 20;
// How long the program waits for the process, in real time: a loaded
// machine gives it its 2 s of processor time slowly.
constexpr int kWallSeconds = 20;

// Exit codes of the compiler program besides 0 (answer written).
constexpr int kExitOutOfMemory = 3;
constexpr int kExitStackOverflow = 4;
constexpr int kExitBadRequest = 5;
constexpr int kExitCpuTime = 6;
constexpr int kExitExpansionTime = 7;
constexpr int kExitExpansionMemory = 8;

// Where the compiler program is: beside this program (the build's run
// folder), in ../libexec/reflect-refract/ from it (installed), else in the
// build's run folder (tests and benchmarks run from elsewhere).
std::string CompilerProgramPath();

// Asks the compiler program at program to compile request. true with
// *result when it answered (compiled, or not with the compiler's messages);
// false with *failure, one sentence, when it could not start, crashed,
// ran out of time or memory, or answered nonsense.
// wallSeconds: how long to wait before the process is killed.
bool RunCompilerProcess(const std::string& program, const CompileRequest& request,
                        CompileResult* result, std::string* failure,
                        int wallSeconds = kWallSeconds);

// Starts the compiler process the next compile will use, so that it is ready
// (glslang's tables built) when the compile comes: a program calls it early
// at start-up. Each compile starts the one for the compile after it.
void StartCompilerProcess();

// CompileEffect (effect_compiler.h) with the HLSL → GLSL steps in the
// compiler program. A failure of the process becomes one message naming the
// file: "path: error: the effect compiler crashed (signal 11) on this file".
bool CompileEffectIsolated(const std::string& text, const std::string& path, CompiledEffect* out,
                           std::string* log);
// The same for a request already read, compiled by the compiler program at
// program (a spare started for it, or one started now).
bool CompileRequestIsolated(const CompileRequest& request, const std::string& program,
                            CompiledEffect* out, std::string* log);

// How many compiles this process has asked of a compiler process.
uint64_t CompilerProcessCompiles();

}  // namespace gfx::effect
