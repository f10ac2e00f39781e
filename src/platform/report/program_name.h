// The program's name: the prefix of every line it writes to stderr, the
// caption of its start-up failure box, the first word of its usage line.
#pragma once

inline constexpr char kProgramName[] = "reflect-refract";
