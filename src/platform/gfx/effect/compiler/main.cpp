// rr-effect-compiler: compiles one effect for reflect-refract in a process
// of its own (compile_child.h), so that no effect can take the program down.
#include "platform/gfx/effect/compiler_process.h"

int main() { return gfx::effect::CompilerProcessMain(); }
