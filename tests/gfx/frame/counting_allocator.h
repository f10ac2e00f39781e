// A counting replacement of the global operator new for one test program.
// While counting is on, each allocation is charged by its callers: to a
// library (Mesa, LLVM, SDL, FreeType, fontconfig) when any frame of the stack
// lies in a shared library other than the C and C++ runtimes and the
// sanitizers, else to our code (this program, linked statically). A callback
// from a library into our code would count as the library's. Only operator
// new is replaced: our code allocates through it (a malloc made directly by
// our code would not be seen).
#pragma once

#include <cstdint>

namespace alloctest {

struct AllocationCounts {
    uint64_t ours = 0;
    uint64_t libraries = 0;
};

// Finds where this program and the C++ runtime lie in memory; call once
// before counting.
void PrepareCounting();
void StartCounting();
AllocationCounts StopCounting();

}  // namespace alloctest
