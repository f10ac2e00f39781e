// A counting replacement of the global operator new for one test program.
// While counting is on, each allocation is charged to the code that asked
// for it: the first caller on the stack outside the C++ runtime library (and
// outside standard-library templates instantiated in this program).
// Callers inside this program (our code, linked statically) count as ours;
// callers in shared libraries (Mesa, LLVM, SDL, FreeType, fontconfig) as
// theirs. Only operator new is replaced: our code allocates through it (a
// malloc made directly by our code would not be seen).
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
