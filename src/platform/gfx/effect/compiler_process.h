// The compiler program's side of compile_child.h: reads one request from
// standard input, compiles it, writes the answer to standard output.
#pragma once

namespace gfx::effect {

// The whole of the compiler program's main. Sets its limits (address space,
// no core files), builds glslang's tables before the request comes, limits
// the processor time the request may take, runs the compile on a thread
// whose stack ends in a guard region, and returns the exit code: 0 with the answer
// written, kExitBadRequest for input it cannot read; out of memory and a
// stack overflow end the process at once with their codes.
int CompilerProcessMain();

}  // namespace gfx::effect
