// What a person who started the program is told when it cannot start: one
// stderr line naming what failed and what to do, and, when a display works
// (a window backend is installed), a message box with the same text, for
// whoever started it from a launcher and sees no terminal.
#pragma once

#include <string>

struct Application;

inline constexpr char kStartupFailureCaption[] = "reflect-refract";

// "reflect-refract: cannot start: WHAT" on stderr, and the box. what is UTF-8.
void ReportStartupFailure(const std::string& what);

// The reasons, read from the Application's fields after the failed step,
// before anything is released.
std::string DescribeDeviceFailure(const Application& app);
std::string DescribeEnvironmentFailure(const Application& app);
