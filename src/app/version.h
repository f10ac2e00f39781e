// The program's version, printed by --version and named by the man page
// (docs/reflect-refract.1, whose header a test compares with it).
#pragma once

inline constexpr char kProgramVersion[] = "1.1.0";
